#include "device/Worker.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/CachedImage.h"
#include "device/CurrentDevice.h"
#include "device/DeviceCache.h"
#include "device/DeviceChangeRelay.h"
#include "device/DeviceDiscovery.h"
#include "device/FirmwareImageSearch.h"
#include "device/ReportHandler.h"
#include "device/SanitizerHandOver.h"
#include "device/WorkingImage.h"

#include <HIDUsb.h>

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QTimer>


std::atomic<bool> g_LastPassOnline{false};
std::atomic<bool> g_StatusRefreshRequested{false};
std::atomic<int> g_ShowBatteryValue{0};

namespace {
constexpr int kOnlineCheckMs = 1300;
constexpr int kStatusRefreshMs = 3000;

// Library calls made before a device is chosen name no device.
const char kPlaceholderPath[] = "a";

QMutex s_statusClockMutex;
QElapsedTimer s_statusRefreshClock;  // guarded by s_statusClockMutex

// Set when the rescan sent the window back to the device list for the open
// device; a later rescan (a change that was already on its way) does not send it
// again. Opening a device clears it. GUI thread only.
bool s_returnedToList = false;

}

bool TakeStatusRefreshSlot()
{
    AnnotatedMutexLocker lock(s_statusClockMutex);
    if (s_statusRefreshClock.isValid() && s_statusRefreshClock.elapsed() <= Timing::scaled(kStatusRefreshMs))
        return false;
    s_statusRefreshClock.start();
    return true;
}

void ReleaseStatusRefreshSlot()
{
    AnnotatedMutexLocker lock(s_statusClockMutex);
    s_statusRefreshClock.invalidate();
}

void RestartStatusRefreshClock()
{
    AnnotatedMutexLocker lock(s_statusClockMutex);
    s_statusRefreshClock.start();
}

Worker::Worker()
    : QThread(nullptr)
{
    g_WorkerRunRequest = true;
    RestartStatusRefreshClock();
    setDevicePath(kPlaceholderPath);
    g_DeviceOnline = false;

    g_WorkerPollTimer = new QTimer(this);
    connect(g_WorkerPollTimer, &QTimer::timeout, this, &Worker::SlotCheckOnline);
    g_WorkerPollTimer->setInterval(Timing::scaled(kOnlineCheckMs));
    g_WorkerPollTimer->start();

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), this, SLOT(SlotSelectMouseInfo(DeviceAllInfo)));
    connect(bus, SIGNAL(SigMainPageChange()), this, SLOT(SlotMainPageChange()));

    // finished() comes from the pass's own thread; handle it here, queued.
    connect(this, &QThread::finished, this, &Worker::onPassFinished, Qt::QueuedConnection);

    g_ShowBatteryValue = ConfigSettings::instance()
                             ->value(QStringLiteral("Option"), QStringLiteral("ShowBatteryValue"))
                             .toInt();
}

Worker::~Worker()
{
    StopRun();
    wait();
    if (g_WorkerPollTimer && g_WorkerPollTimer->parent() == this)
        g_WorkerPollTimer = nullptr;
}

void Worker::start(QThread::Priority priority)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, priority] { start(priority); }, Qt::QueuedConnection);
        return;
    }
    m_startPending = true;
    m_priority = priority;
    if (!m_passActive)
        launch();
}

void Worker::launch()
{
    m_startPending = false;
    m_passActive = true;
    // The request may have been cleared by the pass that ended meanwhile.
    g_WorkerRunRequest = true;
    QThread::start(m_priority);
}

void Worker::onPassFinished()
{
    // finished() is emitted just before the thread really ends; a start now
    // would be ignored. The remaining steps do not need this thread.
    QThread::wait();
    SanitizerHandOver::acquire(this);
    m_passActive = false;
    if (m_startPending)
        launch();
}

void Worker::StartDevice(DeviceAllInfo info)
{
    const QByteArray path = info.path.toLatin1();
    if (UsbFinderC_GetDeviceOnLine(path.constData())) {
        CurrentDevice::set(info);
        setDevicePath(path.toStdString());
    }
    g_WorkerRunRequest = true;
    start();
}

void Worker::StopRun()
{
    g_WorkerRunRequest = false;
    if (g_Worker && QThread::currentThread() == g_Worker->thread())
        g_Worker->m_startPending = false;
}

void Worker::SlotSelectMouseInfo(DeviceAllInfo info)
{
    CurrentDevice::set(info);
    // The device is chosen now: library calls made before the first pass (writers,
    // online checks) must already name it.
    setDevicePath(info.path);
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        g_SelectedFlashDataFile = DeviceCacheFileName(info.cid, info.mid);
        // Still the previous device's configuration until this one is read.
        WorkingImage::setCurrentLocked(false);
    }
    s_returnedToList = false;
}

void Worker::SlotMainPageChange()
{
    g_LastPassOnline = false;
}

void Worker::SlotCheckOnline()
{
    if (g_OfflineNoticeOpen) {
        if (g_LinkEnabled == 0) {
            // A 1K receiver keeps waiting for its mouse.
            if (CurrentDevice::copy().connectionType != 0)
                g_OfflineNoticeOpen = false;
        } else if (g_DevicePollingEnabled) {
            const bool online = UsbFinderC_GetDeviceOnLine(g_DevicePath.load());
            g_DeviceOnline = online;
            g_LastPassOnline = false;
            if (!online)
                return;
            PostMsg::GetInstance()->PostCloseOffOnline();
            g_OfflineNoticeOpen = false;
        }
    }
    if (g_DeviceOnline && g_RefreshPending) {
        g_RefreshPending = false;
        g_WorkerRunRequest = true;
        start();
    }
}

void Worker::run()
{
    if (!g_WorkerRunRequest)
        return;
    if (!g_DeviceOnline)
        g_DeviceOnline = UsbFinderC_GetDeviceOnLine(g_DevicePath.load());

    const DeviceAllInfo current = CurrentDevice::copy();
    const bool unchanged = current.path == m_lastPath
        && current.connectionType == m_lastConnectionType
        && g_LastPassOnline == g_DeviceOnline && !g_StatusRefreshRequested;

    if (!unchanged && g_LinkEnabled == 1) {
        const char* path = g_DevicePath.load();
        PostMsg* bus = PostMsg::GetInstance();
        if (UsbFinderC_GetDeviceOnLine(path)) {
            CurrentDevice::setOnline(true);
            if (g_StatusRefreshRequested.exchange(false))
                bus->PostUpDataParam(1);
            else if (!g_ApplyingSettings)
                bus->PostUpDataParam(0);
        } else {
            g_OfflineNoticeOpen = true;
            CurrentDevice::setOnline(false);
            emitCachedImageOrReset();
        }
        m_lastPath = current.path;
        m_lastConnectionType = current.connectionType;

        // Started for an offline device too, so its image arrives once it answers.
        ForgetRequestedReads();
        UsbServerC_Start(path, path, OnHidReport);
        qDebug() << "OnlinA";
        UsbServer_SetPCDriverStatus(true);
        RequestFullRead();
        g_LastPassOnline = g_DeviceOnline.load();
        qDebug() << "OnlinB";
    }
    g_FullReadDone = g_DeviceOnline.load();
    g_WorkerRunRequest = false;
    SanitizerHandOver::release(this);
}

void Worker::emitCachedImageOrReset()
{
    QString name;
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        name = g_SelectedFlashDataFile;
    }
    PostMsg* bus = PostMsg::GetInstance();
    FlashDataMap cached{};
    if (CachedImage::load(name, &cached)) {
        // Shown on the pages only; the working image stays as it is.
        bus->PostUpDataLightUIButton(cached);
        bus->PostUpDataLightLight(cached);
        bus->PostUpDataLightSensor(cached);
        bus->PostForm();
    } else {
        bus->PostFormReset();
    }
}

void Worker::OnUsbDeviceChanged()
{
    DeviceChangeRelay::post(&Worker::HandleUsbDeviceChanged);
}

void Worker::HandleUsbDeviceChanged()
{
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostSetver(4);

    const DeviceDiscovery::SearchConfig config = DeviceDiscovery::ReadSearchConfig();
    g_WorkerDeviceList.clear();
    EnumerateHidDevices(config.vid, config.searchPids(), config.interfaceId, config.deviceId);

    if (g_WorkerDeviceList.isEmpty()) {
        if (g_DevicePollingEnabled && !s_returnedToList) {
            CurrentDevice::set(DeviceAllInfo());
            s_returnedToList = true;
            bus->PostChangeMainDialog(0);
        }
    } else {
        const int entries = g_WorkerDeviceList.size();
        int count = 0;
        // A copy: returning to the list may rebuild g_WorkerDeviceList meanwhile.
        const QList<DeviceAllInfo> found = g_WorkerDeviceList;
        for (const DeviceAllInfo& e : found) {
            DeviceAllInfo current = CurrentDevice::copy();
            if (!current.path.isEmpty()) {
                // The receiver's mouse now answers on its own cable: follow it.
                if (e.modelIndex == current.modelIndex && e.direct && e.online && !current.direct
                    && e.address.size() == 3 && e.address == current.address && g_Worker)
                    g_Worker->StartDevice(e);
            }
            current = CurrentDevice::copy();
            if (e.path != current.path && !current.path.isEmpty()) {
                ++count;
                if (count == entries && g_DevicePollingEnabled && !s_returnedToList) {
                    s_returnedToList = true;
                    bus->PostChangeMainDialog(0);
                }
            }
        }
    }

    const DeviceAllInfo current = CurrentDevice::copy();
    if (current.direct) {
        QString receiverText;
        const QString mouseText = current.firmwareVersion;
        int kind = 0;
        if (g_WorkerDeviceList.size() == 2) {
            for (const DeviceAllInfo& e : qAsConst(g_WorkerDeviceList)) {
                if (!e.address.isEmpty() && !e.direct) {
                    receiverText = e.receiverVersion;
                    kind = FirmwareImageSearch::receiverKindOf(e.connectionType);
                    break;
                }
            }
        }
        if (QDir(AppPaths::appSubdir(QStringLiteral("bin"))).exists()) {
            g_DongleUpdateRequested = HasNewerFirmware(FirmwareImageHeader::kReceiverType, receiverText, kind);
            g_MouseUpdateRequested = HasNewerFirmware(FirmwareImageHeader::kMouseType, mouseText, kind);
            bus->PostLabelTextB(receiverText,
                                g_DongleUpdateRequested || g_MouseUpdateRequested ? QStringLiteral("true")
                                                                                  : QString());
        } else {
            bus->PostLabelTextB(receiverText, QString());
        }
    }

    if (g_UpdateDialogShown && !g_UpdateRunning)
        bus->PostCheckUpdate();
}

void Worker::EnumerateHidDevices(QString vid, QVector<QString> pids, int interfaceId, int deviceId)
{
    const QByteArray vidText = vid.toLatin1();
    for (const QString& pid : pids) {
        if (pid.isEmpty())
            continue;
        int count = 5;
        char** paths = UsbFinderC_FindHidDevicesByDeviceId(vidText.constData(), pid.toLatin1().constData(),
                                                          1, 5, &count);
        Q_UNUSED(interfaceId)
        Q_UNUSED(deviceId)
        if (!paths)
            continue;
        count = qBound(0, count, 5);
        for (int i = 0; i < count; ++i) {
            const char* path = paths[i];
            if (!path)
                continue;
            DeviceAllInfo rec;
            rec.path = QString::fromLatin1(path);
            rec.vid = vid;
            rec.pid = pid;
            rec.receiverVersion = DeviceDiscovery::UsbVersionText(QByteArray(path));
            rec.online = 0;
            const DeviceAllInfo current = CurrentDevice::copy();
            if (current.path.isEmpty()) {
                g_WorkerDeviceList.append(rec);
                continue;
            }
            if (!IdentifyDevice(rec, path)) {
                g_WorkerDeviceList.append(rec);
            } else if (rec.modelIndex == current.modelIndex) {
                g_WorkerDeviceList.append(rec);
                if (rec.path == current.path)
                    setDevicePath(path);
            }
        }
    }
}

bool Worker::IdentifyDevice(DeviceAllInfo& rec, const char* path)
{
    const QByteArray pathText(path ? path : "");
    UsbDeviceInfo last{};
    const int total = DeviceDiscovery::DeviceTotal();
    if (!DeviceDiscovery::QueryIdentifiers(pathText, &last)) {
        rec.direct = DeviceAllInfo::isDirectConnection(last.connectionType);
        rec.modelIndex = total;
        return false;
    }
    const int index = DeviceDiscovery::CatalogueIndex(last.cid, last.mid);
    if (index < 0) {
        rec.direct = DeviceAllInfo::isDirectConnection(last.connectionType);
        rec.modelIndex = total;
        return false;
    }
    rec.cid = last.cid;
    rec.mid = last.mid;
    rec.connectionType = last.connectionType;
    rec.direct = DeviceAllInfo::isDirectConnection(last.connectionType);
    rec.modelIndex = index;

    rec.address.clear();
    DeviceDiscovery::ReadOnlineAndAddress(pathText, g_WorkerAddressBuffer, rec);

    AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
    if (rec.path == g_CurrentDevice.path) {
        // Versions read earlier survive a rescan.
        const QString firmware = g_CurrentDevice.firmwareVersion;
        const QString receiver = g_CurrentDevice.receiverVersion;
        g_CurrentDevice = rec;
        if (!firmware.isEmpty())
            g_CurrentDevice.firmwareVersion = firmware;
        if (!receiver.isEmpty())
            g_CurrentDevice.receiverVersion = receiver;
    }
    return true;
}
