#include "DeviceLinkFixture.h"

#include "ImageBytes.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "core/WriteQueue.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/DeviceDiscovery.h"
#include "device/ReportHandler.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"
#include "platform/Registry.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <thread>

using hidsim::HidSimControl;

namespace {
void dropReports(unsigned char*, int, unsigned char*, unsigned int) {}

QByteArray readFixture(const QString& name)
{
    QFile file(QStringLiteral(DESKLINK_TEST_DATA_DIR) + "/devicelink/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}

DeviceLinkFixture::DeviceLinkFixture()
    : m_appDir(m_home.path() + "/app-XXXXXX")
{
}

DeviceLinkFixture::~DeviceLinkFixture()
{
    tearDown();
}

QByteArray DeviceLinkFixture::fixtureScenario()
{
    return readFixture("scenario.json");
}

QString DeviceLinkFixture::fixtureCatalogue()
{
    return QString::fromUtf8(readFixture("Config.ini"));
}

QString DeviceLinkFixture::appDir() const
{
    return m_appDir.path();
}

void DeviceLinkFixture::writeCatalogue(const QString& text)
{
    QDir().mkpath(appDir() + "/usersetting");
    QFile file(appDir() + "/usersetting/Config.ini");
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    file.close();
    ConfigSettings::resetForTests();
}

bool DeviceLinkFixture::setUp(const QByteArray& scenario, const QString& catalogue)
{
    AppPaths::setApplicationDirOverride(appDir());
    writeCatalogue(catalogue.isEmpty() ? fixtureCatalogue() : catalogue);
    SettingsStore::resetForTests();
    QDir(AppPaths::dataSubdir("Device_Info")).removeRecursively();
    QDir().mkpath(AppPaths::dataSubdir("Device_Info"));
    QFile::remove(Registry::filePath());

    QString error;
    if (!HidSimControl::reset(scenario.isEmpty() ? fixtureScenario() : scenario, &error)) {
        qWarning("hidsim scenario: %s", qPrintable(error));
        return false;
    }
    resetDeviceLinkState();
    m_pages.reset(new DeviceLinkPageRecorder);
    return true;
}

QString DeviceLinkFixture::shippedCatalogue()
{
    QFile catalogue(QStringLiteral(DESKLINK_APP_DIR "/usersetting/Config.ini"));
    return catalogue.open(QIODevice::ReadOnly) ? QString::fromUtf8(catalogue.readAll()) : QString();
}

bool DeviceLinkFixture::setUpShipped(const QByteArray& scenario)
{
    const QString shipped = QStringLiteral(DESKLINK_APP_DIR);
    const QString catalogue = shippedCatalogue();
    if (catalogue.isEmpty() || !setUp(scenario, catalogue))
        return false;
    QFile::remove(appDir() + "/driver_sensor.h");
    QFile::remove(appDir() + "/Picture");
    if (!QFile::copy(shipped + "/driver_sensor.h", appDir() + "/driver_sensor.h")
        || !QFile::link(shipped + "/Picture", appDir() + "/Picture"))
        return false;
    AppPaths::setApplicationDirOverride(shipped);
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(appDir());
    return true;
}

void DeviceLinkFixture::tearDown()
{
    if (g_Worker) {
        g_WorkerPollTimer->stop();
        Worker::StopRun();
        // A pass may be waiting for the pages: keep serving them until it ends.
        (void)QTest::qWaitFor([] { return !g_Worker->passActive(); }, 30000);
        delete g_Worker;
        g_Worker = nullptr;
    }
    StopUsbChanged();
    UsbServer_Exit();
    // A report callback that was already running may still wait for a page, or
    // read the catalogue the next set-up replaces: keep serving the pages until
    // the library has none left.
    (void)QTest::qWaitFor([] { return HidSimControl::callbacksIdle(); }, 5000);
    // Records still queued belong to this test's home folder.
    WriteQueue::instance().drain();
    m_pages.reset();
    DeviceDiscovery::SetDeviceInfoQueryForTests(nullptr);
    AppPaths::setApplicationDirOverride(QString());
}

Worker* DeviceLinkFixture::createWorker()
{
    if (!g_Worker)
        g_Worker = new Worker;
    return g_Worker;
}

DeviceAllInfo DeviceLinkFixture::listEntry(const QString& simId)
{
    DeviceDiscovery::ScanDeviceList();
    for (int i = 0; i < g_DeviceList.size(); ++i)
        DeviceDiscovery::RefreshDevice(i);
    const QString path = QString::fromLatin1(HidSimControl::path(simId));
    for (const DeviceAllInfo& e : qAsConst(g_DeviceList)) {
        if (!path.isEmpty() && e.path == path)
            return e;
    }
    return DeviceAllInfo();
}

bool DeviceLinkFixture::openDevice(const QString& simId, bool waitForRead)
{
    const DeviceAllInfo entry = listEntry(simId);
    if (entry.path.isEmpty())
        return false;
    createWorker();
    const int forms = m_pages->count("Form");
    PostMsg::GetInstance()->PostSelectMouseInfo(entry);
    g_WorkerRunRequest = true;
    g_LinkEnabled = 1;
    g_Worker->start();
    if (!waitForRead)
        return true;
    return QTest::qWaitFor([&] { return m_pages->count("Form") > forms && WorkingImage::isCurrent(); }, 30000);
}

bool DeviceLinkFixture::linkWithoutReports(const QString& listedId, const QString& mouseId)
{
    const QString simId = mouseId.isEmpty() ? listedId : mouseId;
    const DeviceAllInfo entry = listEntry(listedId);
    if (entry.path.isEmpty()) {
        qWarning("%s is not listed", qPrintable(listedId));
        return false;
    }
    {
        AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
        g_CurrentDevice = entry;
    }
    const char* path = setDevicePath(entry.path);
    if (!UsbServerC_Start(path, path, dropReports)) {
        qWarning("no link to %s", path);
        return false;
    }
    const QByteArray flash = HidSimControl::flash(simId);
    FlashDataMap image{};
    if (flash.size() != 6912
        || !ProtocolDataParser(reinterpret_cast<const unsigned char*>(flash.constData()), &image)) {
        qWarning("the flash of %s does not parse (%d bytes)", qPrintable(simId), int(flash.size()));
        return false;
    }
    replaceFlashData(image);
    WorkingImage::setCurrent(true);
    return true;
}

bool DeviceLinkFixture::sendPatchedImage(const QString& mouseId, const QList<int>& patch)
{
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        const QByteArray image = patched(imageBytes(g_FlashData), patch);
        std::memcpy(&g_FlashData, image.constData(), sizeof g_FlashData);
        if (!ProtocolDataUpdate(&g_FlashData))
            return false;
    }
    return QTest::qWaitFor(
        [&] { return HidSimControl::configImage(mouseId) == imageBytes(currentFlashData()); }, 30000);
}

bool DeviceLinkFixture::postButtonImage(const QString& mouseId)
{
    const QByteArray bytes = HidSimControl::configImage(mouseId);
    FlashDataMap image;
    if (bytes.size() != int(sizeof image))
        return false;
    std::memcpy(&image, bytes.constData(), sizeof image);
    std::atomic<bool> finished{false};
    std::thread sender([&] {
        PostMsg::GetInstance()->PostUpDataLightUIButton(image);
        finished = true;
    });
    const bool done = QTest::qWaitFor([&finished] { return finished.load(); }, 30000);
    sender.join();
    return done;
}

bool DeviceLinkFixture::deliverReport(const QByteArray& header, const QByteArray& data)
{
    QByteArray h = header;
    QByteArray d = data;
    h.append(QByteArray(qMax(0, 8 - h.size()), '\0'));
    d.append(QByteArray(qMax(0, 64 - d.size()), '\0'));
    const int headerLength = header.size();
    const unsigned int dataLength = unsigned(data.size());
    std::atomic<bool> finished{false};
    std::thread thread([&] {
        OnHidReport(reinterpret_cast<unsigned char*>(h.data()), headerLength,
                    reinterpret_cast<unsigned char*>(d.data()), dataLength);
        finished = true;
    });
    const bool done = QTest::qWaitFor([&finished] { return finished.load(); }, 30000);
    thread.join();
    // Signals queued to the GUI thread (automatic connections) arrive now.
    QCoreApplication::processEvents();
    return done;
}

QByteArray DeviceLinkFixture::header(int type, int address)
{
    QByteArray h(5, '\0');
    h[0] = char(0xA5);
    h[1] = char(type);
    h[3] = char((address >> 8) & 0xFF);
    h[4] = char(address & 0xFF);
    return h;
}

QStringList DeviceLinkFixture::calls(const QString& function)
{
    QStringList names;
    for (const hidsim::CallRecord& r : HidSimControl::callLog()) {
        if (function.isEmpty() || r.function == function)
            names.append(r.function);
    }
    return names;
}

int DeviceLinkFixture::callCount(const QString& function)
{
    return calls(function).size();
}

QStringList DeviceLinkFixture::callArguments(const QString& function)
{
    QStringList list;
    for (const hidsim::CallRecord& r : HidSimControl::callLog()) {
        if (r.function == function)
            list.append(r.arguments);
    }
    return list;
}

void DeviceLinkFixture::clearCalls()
{
    HidSimControl::clearCallLog();
}

void DeviceLinkFixture::resetDeviceLinkState()
{
    {
        AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
        g_CurrentDevice = DeviceAllInfo();
    }
    g_SelectedDevice = DeviceAllInfo();
    g_DeviceList.clear();
    g_DeviceListB.clear();
    g_WorkerDeviceList.clear();
    setDevicePath("");
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        std::memset(&g_FlashData, 0, sizeof g_FlashData);
        WorkingImage::setCurrentLocked(false);
        g_FlashDataFile.clear();
        g_SelectedFlashDataFile.clear();
    }
    g_UiReady = false;
    g_LinkEnabled = 0;
    g_DevicePollingEnabled = true;
    g_DeviceOnline = false;
    g_FullReadDone = false;
    g_WorkerRunRequest = false;
    g_ApplyingSettings = false;
    g_OfflineNoticeOpen = false;
    g_RefreshPending = false;
    g_SensorPageFilling = false;
    g_ButtonPageFilling = false;
    g_LightPageFilling = false;
    g_SensorPageApplied = false;
    g_ButtonPageApplied = false;
    g_UpdateRunning = false;
    g_DongleUpdateRequested = false;
    g_MouseUpdateRequested = false;
    g_LastPassOnline = false;
    g_StatusRefreshRequested = false;
    g_ReceiverSettingsApplied = false;
    g_ConnectCleanupPending = false;
    std::memset(g_DongleRGB, 0, sizeof *g_DongleRGB);
    std::memset(g_BatteryBuffer, 0, 4);
    std::memset(g_StatusChangedFlags, 0, 7);
    std::memset(g_OnlineAddressBuffer, 0, 10);
    std::memset(g_WorkerAddressBuffer, 0, 10);
    ForgetRequestedReads();
    DeviceDiscovery::SetDeviceInfoQueryForTests(nullptr);
}
