#include "../home/tst_dialogchangefixture.h"
#include "GuiPulse.h"
#include "ImageBytes.h"
#include "UnwritableFolder.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "core/WriteQueue.h"
#include "device/CurrentDevice.h"
#include "device/Worker.h"
#include "platform/Registry.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDateRepair.h"
#include "ui/settings/UpdateLog.h"
#include "device/UpdateRecords.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <memory>

using hidsim::HidSimControl;
using namespace listtest;

// The firmware update run from the settings page against the simulated devices:
// a 4K receiver (r11) and its mouse (m11) on its cable, as the update asks for.
class tst_FirmwareUpdate : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void twoDeviceUpdate();
    void mouseAfterReceiverRefused();
    void failureAndRepair_data();
    void failureAndRepair();
    void interruptedRunIsRepaired_data();
    void interruptedRunIsRepaired();
    void interruptedRepairIsRepaired_data();
    void interruptedRepairIsRepaired();
    void keysDuringTransfer_data();
    void keysDuringTransfer();
    void transferWaitsForItsRecord_data();
    void transferWaitsForItsRecord();
    void transferNeedsItsRecord();
    void transferGoesToTheDeviceCounted_data();
    void transferGoesToTheDeviceCounted();
    void anotherDevicesRecordWaitsForItsRepair_data();
    void anotherDevicesRecordWaitsForItsRepair();
    void updateOfferedWhereItCanRun_data();
    void updateOfferedWhereItCanRun();
    void refusals_data();
    void refusals();
    void versionsOffered_data();
    void versionsOffered();

private:
    bool openMouseOnCable(bool scanOnChanges);
    // Opens the simulated device as the device page's device; the number of
    // devices the scan then lists (-1: the device is not listed).
    int openDevice(const QString& id, bool scanOnChanges);
    void putImage(const QString& file, const QByteArray& bytes);
    // Model 11's receiver image v1.6 and mouse image v1.7.
    void putModelImages();
    // Waits for the run's end; the statuses the dialog got, in order.
    bool waitForRunEnd(FormSetting& page);
    // The device list offers the repair of what the record names; the repair
    // runs to its end and leaves no record and no device in its boot loader.
    void repairFromTheList();
    // The same, and then both devices run the shipped images (receiver v1.6,
    // mouse v1.7) and the device list reads the repair's mouse version.
    void repairToTheShippedVersions();
    // The dialog still says the run failed and offers only to close; closed.
    void failureStaysSaid();
    // Opens the update dialog for the update from the settings page (with the
    // page in `page`) or the repair of a receiver left in its boot loader.
    void openRunDialog(bool repair, std::unique_ptr<FormSetting>& page);

    ListFixture m_fx;
    QList<QPair<int, int>> m_progress;  // (value, status)
};

static QByteArray pairOnCable()
{
    QJsonObject mouse = wiredMouse("m11", 11);
    mouse["receiverKind"] = 4;
    mouse["pairedTo"] = "r11";
    return scenario(QJsonArray{mouse}, QJsonArray{receiver("r11", 4, 11, "4C1104")});
}

static QString text(LanguageSection section, int position)
{
    return LanguageTables::text(section, 0, position);
}

// What "hidsimctl list" prints for one device.
static QString listed(const QString& id)
{
    QProcess tool;
    tool.start(QStringLiteral(DESKLINK_APP_DIR) + "/hidsimctl",
               {"--dir", HidSimControl::directory(), "list"});
    if (!tool.waitForFinished(30000))
        return QString();
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(id + ' '))
            return line;
    }
    return QString();
}

// How many transfers the library was asked to start.
static int upgradeStarts()
{
    const auto calls = HidSimControl::callLog();
    return int(std::count_if(calls.begin(), calls.end(),
                             [](const hidsim::CallRecord& r) { return r.function == "UsbUpgrade_Start"; }));
}

static QString record()
{
    return UpdateRecords::failure();
}

void tst_FirmwareUpdate::init()
{
    QVERIFY(m_fx.setUp(pairOnCable()));
    m_progress.clear();
    connect(PostMsg::GetInstance(), &PostMsg::SigProgress, this,
            [this](int value, int status) { m_progress.append({value, status}); });
    QFile::remove(UpdateLog::filePath());
}

void tst_FirmwareUpdate::cleanup()
{
    StopUsbChanged();
    disconnect(PostMsg::GetInstance(), &PostMsg::SigProgress, this, nullptr);
    delete g_UpDateRepairDialog;
    g_UpDateRepairDialog = nullptr;
    g_WorkerDeviceList.clear();
    g_DeviceList.clear();
    g_DeviceListB.clear();
    g_UpdateRunning = false;
    g_DevicePollingEnabled = true;
    m_fx.tearDown();
}

void tst_FirmwareUpdate::putImage(const QString& file, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(m_fx.link.appDir() + "/bin"));
    QFile f(m_fx.link.appDir() + "/bin/" + file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_FirmwareUpdate::putModelImages()
{
    putImage("m11_receiver.bin", firmwareImageFile(211, 51, 11, "ORX-R4K", 0x0106, 4096));
    putImage("m11_mouse.bin", firmwareImageFile(210, 51, 11, "ORX-M11", 0x0107, 4096));
}

// The device opened as the list opens it, and the device scan that lists what
// is connected; with scanOnChanges the scan follows every change during the
// run, as while a device page is open.
int tst_FirmwareUpdate::openDevice(const QString& id, bool scanOnChanges)
{
    DeviceAllInfo device = m_fx.link.listEntry(id);
    if (device.path.isEmpty())
        return -1;
    device.firmwareVersion = "v1.3";
    CurrentDevice::set(device);
    setDevicePath(device.path);
    g_LinkEnabled = 1;
    Worker::HandleUsbDeviceChanged();
    if (scanOnChanges)
        StartUsbChanged(&Worker::OnUsbDeviceChanged, 600);
    return g_WorkerDeviceList.size();
}

// The wired mouse m11 beside its receiver.
bool tst_FirmwareUpdate::openMouseOnCable(bool scanOnChanges)
{
    return openDevice("m11", scanOnChanges) == 2;
}

bool tst_FirmwareUpdate::waitForRunEnd(FormSetting& page)
{
    return QTest::qWaitFor([&] { return !page.UpdateActive() && !g_UpdateRunning; }, 30000);
}

void tst_FirmwareUpdate::repairFromTheList()
{
    QVERIFY(m_fx.createPage());
    auto* repair = m_fx.page->findChild<QPushButton*>("Repair");
    QVERIFY(repair->isVisible());
    QTest::mouseClick(repair, Qt::LeftButton);
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QVERIFY(dialog->isVisible());
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 12));
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return status->text() == text(LanguageSection::Progress, 1)
                                         || status->text() == text(LanguageSection::Progress, 2); }, 30000));
    QTRY_VERIFY(!g_RepairRunning);
    QCOMPARE(status->text(), text(LanguageSection::Progress, 1));
    QCOMPARE(record(), QString());
    QVERIFY(repair->isHidden());
    for (const QString& id : {QStringLiteral("r11"), QStringLiteral("m11")})
        QVERIFY2(!listed(id).contains("boot-loader"), qPrintable(listed(id)));
}

void tst_FirmwareUpdate::repairToTheShippedVersions()
{
    repairFromTheList();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(listed("r11").contains(" v1.6 "), qPrintable(listed("r11")));
    QVERIFY2(listed("m11").contains(" v1.7 "), qPrintable(listed("m11")));
    QCOMPARE(UpdateRecords::mouseVersion("51", "11"), QString("v1.7"));
}

void tst_FirmwareUpdate::failureStaysSaid()
{
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->findChild<QLabel*>("ToolText_2")->text(), text(LanguageSection::Progress, 2));
    QCOMPARE(dialog->findChild<QToolButton*>("NewHong_2")->text(), text(LanguageSection::DialogChange, 4));
    QVERIFY(dialog->findChild<QToolButton*>("CloseButton")->isEnabled());
    QTest::mouseClick(dialog->findChild<QToolButton*>("CloseButton"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}

static QList<int> statuses(const QList<QPair<int, int>>& progress)
{
    QList<int> result;
    for (const auto& p : progress) {
        if (p.second != 0)
            result << p.second;
    }
    return result;
}

void tst_FirmwareUpdate::twoDeviceUpdate()
{
    putModelImages();
    QVERIFY(openMouseOnCable(true));
    FormSetting page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    PostMsg::GetInstance()->PostSetver(0);
    auto* receiverVersion = page.findChild<QLabel*>("label_5");
    auto* mouseVersion = page.findChild<QLabel*>("label_7");
    auto* update = page.findChild<QPushButton*>("Receive_2");
    QCOMPARE(receiverVersion->text(), QString("v1.3"));
    QCOMPARE(mouseVersion->text(), QString("v1.3"));
    QVERIFY(update->isVisible());
    QVERIFY(update->styleSheet().contains("WaitUpdate.png"));

    // The button opens the dialog ready to start; its Start runs the update.
    QTest::mouseClick(update, Qt::LeftButton);
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QVERIFY(dialog->isVisible());
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 12));
    QString working;
    connect(PostMsg::GetInstance(), &PostMsg::SigProgress, dialog,
            [&](int, int) { if (working.isEmpty()) working = status->text(); });
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(page.UpdateActive());
    QVERIFY(!g_DevicePollingEnabled);
    QVERIFY(waitForRunEnd(page));

    QCOMPARE(working, text(LanguageSection::Progress, 0));
    // One final "completed", after progress 0..50 for the receiver and 50..100 for the mouse.
    QCOMPARE(statuses(m_progress), QList<int>{2});
    QCOMPARE(m_progress.last().second, 2);
    QList<int> values;
    for (const auto& p : m_progress) {
        if (p.second == 0)
            values << p.first;
    }
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    QVERIFY(values.contains(50));
    QVERIFY(std::count_if(values.begin(), values.end(), [](int v) { return v > 0 && v < 50; }) > 5);
    QVERIFY(std::count_if(values.begin(), values.end(), [](int v) { return v > 50 && v < 100; }) > 5);
    QCOMPARE(values.last(), 100);

    QCOMPARE(status->text(), text(LanguageSection::Progress, 1));
    QCOMPARE(dialog->findChild<QProgressBar*>("progressBar_2")->value(), 100);
    QCOMPARE(receiverVersion->text(), QString("v1.6"));
    QCOMPARE(mouseVersion->text(), QString("v1.7"));
    QCOMPARE(currentDeviceCopy().firmwareVersion, QString("v1.7"));
    QCOMPARE(FormSetting::receiverUpdateState(), 2);
    QCOMPARE(FormSetting::mouseUpdateState(), 2);
    QCOMPARE(UpdateRecords::mouseVersion("51", "11"), QString("v1.7"));
    QCOMPARE(record(), QString());
    QVERIFY(g_DevicePollingEnabled);
    QVERIFY(update->styleSheet().contains("Confirm.png"));
    QVERIFY2(listed("r11").contains(" v1.6 "), qPrintable(listed("r11")));
    QVERIFY2(listed("m11").contains(" v1.7 "), qPrintable(listed("m11")));

    // A rescan after the run leaves its result in view; closing at 100 % marks the page up to date.
    Worker::HandleUsbDeviceChanged();
    QCOMPARE(status->text(), text(LanguageSection::Progress, 1));
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(update->text(), text(LanguageSection::FormSetting, 18));
}

// The receiver is updated, then a second mouse appears: the mouse's step refuses
// with the notice, and the run ends closable with the reason, the receiver kept.
void tst_FirmwareUpdate::mouseAfterReceiverRefused()
{
    putModelImages();
    QVERIFY(openMouseOnCable(false));
    FormSetting page;
    page.show();
    PostMsg::GetInstance()->PostSetver(0);
    DeviceAllInfo second = g_WorkerDeviceList.first();
    second.path = "second-mouse";
    connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, &page, [&](int index, const QString&) {
        if (index == 0)
            g_WorkerDeviceList.append(second);
    });
    // The update dialog stays open below the notice, so the notice is answered
    // by its class rather than as the active modal window.
    QString notice;
    int notices = 0;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->inherits("UpDateWarning") && w->isVisible()) {
                ++notices;
                notice = ModalDialogDriver::labelText(w, "label");
                ModalDialogDriver::click(w, "NewHong");
            }
        }
    });
    answer.start(20);

    QVERIFY(page.StartUpdate());
    QVERIFY(waitForRunEnd(page));
    QCOMPARE(notices, 1);
    const QString reason = text(LanguageSection::FormSetting, 17);
    QCOMPARE(notice, reason);
    QCOMPARE(FormSetting::receiverUpdateState(), 2);
    QCOMPARE(FormSetting::mouseUpdateState(), 0);
    QCOMPARE(statuses(m_progress), QList<int>{5});
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QCOMPARE(dialog->findChild<QLabel*>("ToolText_2")->text(), reason);
    QVERIFY(dialog->findChild<QToolButton*>("CloseButton")->isEnabled());
    QCOMPARE(dialog->findChild<QToolButton*>("NewHong_2")->text(), text(LanguageSection::DialogChange, 4));
    QCOMPARE(record(), QString());
    QVERIFY(g_DevicePollingEnabled);
    QVERIFY2(listed("r11").contains(" v1.6 "), qPrintable(listed("r11")));
    QVERIFY2(listed("m11").contains(" v1.3 "), qPrintable(listed("m11")));
}

void tst_FirmwareUpdate::failureAndRepair_data()
{
    QTest::addColumn<bool>("mouseImage");
    QTest::addColumn<bool>("failMouse");     // else the receiver fails
    QTest::addColumn<QString>("recordAfter");
    QTest::addColumn<QString>("bootDevice");
    QTest::addColumn<int>("lastValue");      // last progress before the end

    QTest::newRow("receiver of receiver and mouse") << true << false << "211,4,51,11" << "r11" << 20;
    QTest::newRow("mouse after its receiver") << true << true << "210,4,51,11" << "m11" << 70;
    QTest::newRow("receiver alone") << false << false << "211,4,51,11" << "r11" << 40;
}

void tst_FirmwareUpdate::failureAndRepair()
{
    QFETCH(bool, mouseImage);
    QFETCH(bool, failMouse);
    QFETCH(QString, recordAfter);
    QFETCH(QString, bootDevice);
    QFETCH(int, lastValue);

    putImage("m11_receiver.bin", firmwareImageFile(211, 51, 11, "ORX-R4K", 0x0106, 4096));
    if (mouseImage)
        putImage("m11_mouse.bin", firmwareImageFile(210, 51, 11, "ORX-M11", 0x0107, 4096));
    QVERIFY(openMouseOnCable(true));
    FormSetting page;
    page.show();
    PostMsg::GetInstance()->PostSetver(0);
    if (failMouse) {
        // The mouse's transfer, the one after the receiver's, fails.
        connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, &page, [](int index, const QString&) {
            if (index == 0)
                HidSimControl::failNextFirmwareTransfer(40);
        });
    } else {
        HidSimControl::failNextFirmwareTransfer(40);
    }

    QVERIFY(page.StartUpdate());
    QVERIFY(waitForRunEnd(page));
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QCOMPARE(statuses(m_progress), QList<int>{1});
    const QList<QPair<int, int>> before = m_progress.mid(0, m_progress.size() - 1);
    QVERIFY(!before.isEmpty());
    QVERIFY2(qAbs(before.last().first - lastValue) <= 1, qPrintable(QString::number(before.last().first)));
    QCOMPARE(dialog->findChild<QLabel*>("ToolText_2")->text(), text(LanguageSection::Progress, 2));
    QVERIFY(dialog->findChild<QToolButton*>("CloseButton")->isEnabled());
    QCOMPARE(record(), recordAfter);
    QCOMPARE(FormSetting::receiverUpdateState(), failMouse ? 2 : 3);
    QCOMPARE(FormSetting::mouseUpdateState(), failMouse ? 3 : 0);
    QVERIFY2(listed(bootDevice).contains(" boot-loader "), qPrintable(listed(bootDevice)));

    QFile log(UpdateLog::filePath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromUtf8(log.readAll());
    log.close();
    QVERIFY2(logText.contains(failMouse ? "Update of the mouse failed" : "Update of the receiver failed"), qPrintable(logText));
    QVERIFY2(logText.contains("Result: failed at 40 %"), qPrintable(logText));
    QVERIFY2(logText.contains("Device: " + QString(failMouse ? "mouse" : "receiver") + ' ' + bootDevice), qPrintable(logText));

    // Closing below 100 % leaves the device page for the device list.
    QSignalSpy leave(PostMsg::GetInstance(), &PostMsg::SigChangeMainDialog);
    QTest::mouseClick(dialog->findChild<QToolButton*>("CloseButton"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(leave.count(), 1);
    QCOMPARE(leave.first().at(0).toInt(), 0);
    StopUsbChanged();
    g_LinkEnabled = 0;
    CurrentDevice::set(DeviceAllInfo());

    // The device list offers the repair, which then succeeds and drops the record.
    repairFromTheList();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(listed("r11").contains(" v1.6 "), qPrintable(listed("r11")));
    if (mouseImage)
        QVERIFY2(listed("m11").contains(" v1.7 "), qPrintable(listed("m11")));
    QFile after(UpdateLog::filePath());
    QVERIFY(after.open(QIODevice::ReadOnly));
    const QString logAfter = QString::fromUtf8(after.readAll());
    // The repair's lines follow the failure's; nothing of the failure is lost.
    QVERIFY(logAfter.startsWith(logText));
    QVERIFY2(logAfter.contains("Repair of the receiver done"), qPrintable(logAfter));
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}

void tst_FirmwareUpdate::interruptedRunIsRepaired_data()
{
    QTest::addColumn<bool>("resume");       // the mouse waits in its boot loader from an earlier run
    QTest::addColumn<QString>("stage");     // the transfer that is interrupted: "receiver" or "mouse"
    QTest::addColumn<QString>("how");       // "fail", "stop library", "end program", "unplug", "power off"
    QTest::addColumn<QString>("recordAfter");
    QTest::addColumn<QStringList>("bootAfter");  // devices left in their boot loader

    QTest::newRow("resumed run whose receiver fails")
        << true << "receiver" << "fail" << "211,4,51,11" << QStringList{"r11"};
    QTest::newRow("library stopped mid-receiver")
        << false << "receiver" << "stop library" << "211,4,51,11" << QStringList{"r11"};
    QTest::newRow("library stopped mid-mouse")
        << false << "mouse" << "stop library" << "210,4,51,11" << QStringList{"m11"};
    QTest::newRow("program ended mid-receiver")
        << false << "receiver" << "end program" << "211,4,51,11" << QStringList{"r11"};
    QTest::newRow("program ended mid-mouse")
        << false << "mouse" << "end program" << "210,4,51,11" << QStringList{"m11"};
    QTest::newRow("receiver pulled out") << false << "receiver" << "unplug" << "211,4,51,11" << QStringList{"r11"};
    QTest::newRow("mouse cable pulled") << false << "mouse" << "unplug" << "210,4,51,11" << QStringList{"m11"};
    QTest::newRow("mouse switched off") << false << "mouse" << "power off" << "210,4,51,11" << QStringList{"m11"};
}

// However a transfer ends early, the device it left in its boot loader is named
// by the record, so the device list repairs it, also after a new start.
void tst_FirmwareUpdate::interruptedRunIsRepaired()
{
    QFETCH(bool, resume);
    QFETCH(QString, stage);
    QFETCH(QString, how);
    QFETCH(QString, recordAfter);
    QFETCH(QStringList, bootAfter);

    putModelImages();
    Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer5111", "v1.3");
    if (resume) {
        // An earlier mouse update failed: the mouse waits in its boot loader,
        // its receiver alone is listed and opened.
        QJsonObject mouse = wiredMouse("m11", 11);
        mouse["receiverKind"] = 4;
        mouse["pairedTo"] = "r11";
        mouse["bootLoader"] = true;
        QVERIFY(HidSimControl::reset(scenario(QJsonArray{mouse}, QJsonArray{receiver("r11", 4, 11, "4C1104")})));
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", "210,4,51,11");
        QCOMPARE(openDevice("r11", false), 1);
    } else {
        QVERIFY(openMouseOnCable(true));
    }
    std::unique_ptr<FormSetting> page(new FormSetting);
    page->show();
    PostMsg::GetInstance()->PostSetver(0);
    // At full library time a transfer lasts long enough to be cut in its middle;
    // the mouse's runs so once the receiver's has ended.
    const double scale = HidSimControl::timeScale();
    if (how == "fail" && resume)
        // The mouse the record names goes first; the receiver's transfer fails.
        connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, page.get(), [](int index, const QString&) {
            if (index == 1)
                HidSimControl::failNextFirmwareTransfer(40);
        });
    else if (how == "fail")
        HidSimControl::failNextFirmwareTransfer(40);
    else if (stage == "receiver")
        HidSimControl::setTimeScale(1);
    else
        connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, page.get(), [](int index, const QString&) {
            if (index == 0)
                HidSimControl::setTimeScale(1);
        });
    // Both devices are updated: the receiver fills 0..50 %, the mouse 50..100 %.
    bool reached = false;
    connect(PostMsg::GetInstance(), &PostMsg::SigProgress, page.get(), [&](int value, int status) {
        if (status == 0)
            reached = reached || (stage == "receiver" ? value >= 10 && value < 40 : value >= 60 && value < 90);
    });

    QVERIFY(page->StartUpdate());
    const QString id = stage == "receiver" ? "r11" : "m11";
    const bool programEnds = how == "stop library" || how == "end program";
    if (how != "fail")
        QVERIFY(QTest::qWaitFor([&] { return reached; }, 30000));
    if (how == "end program")
        page.reset();
    if (programEnds)
        QVERIFY(HidSimControl::reset(HidSimControl::scenario()));
    if (how == "unplug")
        QVERIFY(HidSimControl::unplug(id));
    if (how == "power off")
        QVERIFY(HidSimControl::setPowered(id, false));
    HidSimControl::setTimeScale(scale);

    if (!programEnds) {
        // The program saw the end: it says so and can be closed.
        QVERIFY(waitForRunEnd(*page));
        QCOMPARE(statuses(m_progress), QList<int>{1});
        // The device gone, the program falls back to the device list, whose
        // scan checks for a repair while the dialog is open.
        QVERIFY(m_fx.createPage());
        failureStaysSaid();
        if (how == "power off") {
            // Switched off, the mouse in its boot loader is not there to repair.
            QTest::mouseClick(m_fx.page->findChild<QPushButton*>("Repair"), Qt::LeftButton);
            UpDateRepair* dialog = g_UpDateRepairDialog;
            QCOMPARE(dialog->findChild<QLabel*>("ToolText_2")->text(), text(LanguageSection::AutoRepair, 2));
            QCOMPARE(dialog->findChild<QToolButton*>("NewHong_2")->text(), text(LanguageSection::DialogChange, 4));
            dialog->close();
        }
    }
    QCOMPARE(record(), recordAfter);
    for (const QString& device : bootAfter)
        QVERIFY2(listed(device).contains(" boot-loader "), qPrintable(listed(device)));
    if (how == "unplug")
        QVERIFY(HidSimControl::plug(id));
    if (how == "power off")
        QVERIFY(HidSimControl::setPowered(id, true));

    StopUsbChanged();
    g_LinkEnabled = 0;
    CurrentDevice::set(DeviceAllInfo());
    g_WorkerDeviceList.clear();
    if (programEnds) {
        // A new start: nothing of the run is left but the record and the devices.
        page.reset();
        delete g_UpDateRepairDialog;
        g_UpDateRepairDialog = nullptr;
        g_UpdateRunning = false;
        g_DevicePollingEnabled = true;
        g_RepairRunning = false;
        page.reset(new FormSetting);
    }
    repairToTheShippedVersions();
}

void tst_FirmwareUpdate::interruptedRepairIsRepaired_data()
{
    QTest::addColumn<QString>("recordBefore");  // what the repair starts from
    QTest::addColumn<QString>("stage");         // the transfer that is cut: "receiver" or "mouse"
    QTest::addColumn<QString>("how");           // "end program", "unplug", "power off"
    QTest::addColumn<QString>("recordAfter");

    const QString mouse = "210,4,51,11";
    const QString dongle = "211,4,51,11";
    for (const QString& record : {mouse, dongle}) {
        const QString from = record == mouse ? "mouse record" : "receiver record";
        for (const QString& stage : {QStringLiteral("mouse"), QStringLiteral("receiver")}) {
            const QString after = stage == "mouse" ? mouse : dongle;
            for (const QString& how : {QStringLiteral("end program"), QStringLiteral("unplug"), QStringLiteral("power off")}) {
                if (stage == "receiver" && how == "power off")
                    continue;  // a receiver has no switch
                QTest::addRow("%s, %s's transfer, %s", qPrintable(from), qPrintable(stage), qPrintable(how))
                    << record << stage << how << after;
            }
        }
    }
}

// However a repair is broken off, in whichever of its transfers, the record
// names the device that transfer left in its boot loader, beside one that
// works, so the next repair from the device list finds it and brings both
// devices to the shipped versions.
void tst_FirmwareUpdate::interruptedRepairIsRepaired()
{
    QFETCH(QString, recordBefore);
    QFETCH(QString, stage);
    QFETCH(QString, how);
    QFETCH(QString, recordAfter);

    putModelImages();
    Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer5111", "v1.3");
    const bool fromMouse = recordBefore.startsWith("210");
    QJsonObject mouse = wiredMouse("m11", 11);
    mouse["receiverKind"] = 4;
    mouse["pairedTo"] = "r11";
    mouse["bootLoader"] = fromMouse;
    QJsonObject dongle = receiver("r11", 4, 11, "4C1104");
    dongle["bootLoader"] = !fromMouse;
    QVERIFY(HidSimControl::reset(scenario(QJsonArray{mouse}, QJsonArray{dongle})));
    Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", recordBefore);

    std::unique_ptr<FormSetting> page(new FormSetting);
    QVERIFY(m_fx.createPage());
    QTest::mouseClick(m_fx.page->findChild<QPushButton*>("Repair"), Qt::LeftButton);
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QVERIFY(dialog->isVisible());
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 12));

    // The device the record names is repaired first (0..50 %), the other next
    // (50..100 %); at full library time the cut transfer is cut in its middle.
    const bool first = (stage == "mouse") == fromMouse;
    const double scale = HidSimControl::timeScale();
    if (first)
        HidSimControl::setTimeScale(1);
    bool reached = false;
    connect(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress, dialog, [&](int value) {
        if (!first && value >= 50)
            HidSimControl::setTimeScale(1);
        reached = reached || (first ? value >= 10 && value < 40 : value >= 60 && value < 90);
    });
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return reached; }, 30000));
    const QString id = stage == "receiver" ? "r11" : "m11";
    const bool programEnds = how == "end program";
    if (programEnds) {
        // Killed: nothing of the program runs on, the library stops.
        delete g_UpDateRepairDialog;
        g_UpDateRepairDialog = nullptr;
        page.reset();
        QVERIFY(HidSimControl::reset(HidSimControl::scenario()));
    } else if (how == "unplug") {
        QVERIFY(HidSimControl::unplug(id));
    } else {
        QVERIFY(HidSimControl::setPowered(id, false));
    }
    HidSimControl::setTimeScale(scale);

    if (!programEnds) {
        QTRY_VERIFY_WITH_TIMEOUT(!g_RepairRunning, 30000);
        // The device list checks for a repair on each device change.
        PostMsg::GetInstance()->PostRepairCheckUpdate();
        failureStaysSaid();
    }
    QCOMPARE(record(), recordAfter);
    QVERIFY2(listed(id).contains(" boot-loader "), qPrintable(listed(id)));
    const QString other = id == "r11" ? "m11" : "r11";
    QVERIFY2(!listed(other).contains(" boot-loader "), qPrintable(listed(other)));
    if (how == "unplug")
        QVERIFY(HidSimControl::plug(id));
    if (how == "power off")
        QVERIFY(HidSimControl::setPowered(id, true));

    if (programEnds) {
        // A new start: nothing of the run is left but the record and the devices.
        g_RepairRunning = false;
        g_DevicePollingEnabled = true;
        page.reset(new FormSetting);
    }
    repairToTheShippedVersions();
}

// The two roads to a transfer: the update from the settings page and the
// repair from the device list.
static void addRunRoads()
{
    QTest::addColumn<bool>("repair");  // else the update from the settings page
    QTest::newRow("update from the settings page") << false;
    QTest::newRow("repair from the device list") << true;
}

void tst_FirmwareUpdate::keysDuringTransfer_data()
{
    addRunRoads();
}

// Return, Enter and Escape in the middle of a transfer: the buttons they stand
// for are hidden, so nothing happens and the transfer's end is shown.
void tst_FirmwareUpdate::keysDuringTransfer()
{
    QFETCH(bool, repair);

    std::unique_ptr<FormSetting> page;
    openRunDialog(repair, page);
    if (QTest::currentTestFailed())
        return;
    UpDateRepair* dialog = g_UpDateRepairDialog;
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 12));
    int value = 0;
    connect(PostMsg::GetInstance(), &PostMsg::SigProgress, dialog, [&](int v, int s) { value = s == 0 ? v : value; });
    connect(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress, dialog, [&](int v) { value = v; });
    QSignalSpy leave(PostMsg::GetInstance(), &PostMsg::SigChangeMainDialog);
    QSignalSpy started(PostMsg::GetInstance(), &PostMsg::SigUpdateStart);
    // At full library time the keys come in the middle of the receiver's transfer.
    const double scale = HidSimControl::timeScale();
    HidSimControl::setTimeScale(1);

    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return value >= 5; }, 30000));
    HidSimControl::setTimeScale(scale);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(dialog, key);
        QVERIFY(dialog->isVisible());
    }
    QCOMPARE(status->text(), text(LanguageSection::Progress, 0));
    QVERIFY(QTest::qWaitFor([&] { return status->text() != text(LanguageSection::Progress, 0); }, 30000));
    QTRY_VERIFY(!g_RepairRunning && !g_UpdateRunning && !page->UpdateActive());
    QCOMPARE(status->text(), text(LanguageSection::Progress, 1));
    QCOMPARE(dialog->findChild<QProgressBar*>("progressBar_2")->value(), 100);
    QCOMPARE(leave.count(), 0);
    QCOMPARE(started.count(), repair ? 0 : 1);
    QCOMPARE(record(), QString());
    QVERIFY2(listed("r11").contains(" v1.6 "), qPrintable(listed("r11")));
    QVERIFY2(listed("m11").contains(" v1.7 "), qPrintable(listed("m11")));
    // Once the end is shown, Return acts on the shown Close.
    QTest::keyClick(dialog, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
}

void tst_FirmwareUpdate::openRunDialog(bool repair, std::unique_ptr<FormSetting>& page)
{
    putModelImages();
    if (repair) {
        QJsonObject mouse = wiredMouse("m11", 11);
        mouse["receiverKind"] = 4;
        mouse["pairedTo"] = "r11";
        QJsonObject dongle = receiver("r11", 4, 11, "4C1104");
        dongle["bootLoader"] = true;
        QVERIFY(HidSimControl::reset(scenario(QJsonArray{mouse}, QJsonArray{dongle})));
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", "211,4,51,11");
        page.reset(new FormSetting);
        QVERIFY(m_fx.createPage());
        QTest::mouseClick(m_fx.page->findChild<QPushButton*>("Repair"), Qt::LeftButton);
    } else {
        QVERIFY(openMouseOnCable(true));
        page.reset(new FormSetting);
        page->show();
        PostMsg::GetInstance()->PostSetver(0);
        QTest::mouseClick(page->findChild<QPushButton*>("Receive_2"), Qt::LeftButton);
    }
    QVERIFY(QTest::qWaitForWindowActive(g_UpDateRepairDialog));
}

void tst_FirmwareUpdate::transferWaitsForItsRecord_data()
{
    QTest::addColumn<bool>("repair");     // else the update from the settings page
    QTest::addColumn<bool>("askerGone");  // the page or dialog that asked goes meanwhile
    QTest::newRow("update from the settings page") << false << false;
    QTest::newRow("repair from the device list") << true << false;
    QTest::newRow("settings page gone before its record was written") << false << true;
    QTest::newRow("repair dialog gone before its record was written") << true << true;
}

// A disk slow to take the failure record holds up the transfer, which must not
// start before its record is there, and not the window. A transfer whose asker
// is gone meanwhile never starts and leaves no record of its own.
void tst_FirmwareUpdate::transferWaitsForItsRecord()
{
    QFETCH(bool, repair);
    QFETCH(bool, askerGone);

    std::unique_ptr<FormSetting> page;
    openRunDialog(repair, page);
    if (QTest::currentTestFailed())
        return;
    UpDateRepair* dialog = g_UpDateRepairDialog;
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    QString recordAtFirstProgress;
    const auto firstProgress = [&] {
        if (recordAtFirstProgress.isEmpty())
            recordAtFirstProgress = Registry::value(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo").toString();
    };
    connect(PostMsg::GetInstance(), &PostMsg::SigProgress, dialog, [&](int v, int s) { if (s == 0 && v > 0) firstProgress(); });
    connect(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress, dialog, [&](int v) { if (v > 0) firstProgress(); });

    // The disk takes nothing until the gate opens (also when the test fails).
    auto gate = std::make_shared<QSemaphore>();
    const auto openGate = qScopeGuard([gate] { gate->release(); });
    WriteQueue::instance().post([gate] {
        gate->acquire();
        return true;
    });
    const int startsBefore = upgradeStarts();
    GuiPulse pulse;
    pulse.start();
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    // The run reaches its transfer, and the window goes on being served.
    QVERIFY(QTest::qWaitFor([&] { return repair ? g_RepairRunning.load() : FormSetting::receiverUpdateState() == 1; }, 30000));
    QTest::qWait(300);
    pulse.stop();
    QVERIFY2(pulse.keptBeating(0.75), qPrintable(pulse.describe()));
    QCOMPARE(status->text(), text(LanguageSection::Progress, 0));
    QCOMPARE(upgradeStarts(), startsBefore);
    const QString recordBefore = repair ? "211,4,51,11" : "";
    QCOMPARE(Registry::value(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo").toString(), recordBefore);

    if (askerGone) {
        if (repair) {
            delete g_UpDateRepairDialog;
            g_UpDateRepairDialog = nullptr;
        } else {
            page.reset();
        }
        gate->release();
        QTRY_COMPARE(record(), recordBefore);
        QTest::qWait(100);
        QCOMPARE(record(), recordBefore);
        QCOMPARE(upgradeStarts(), startsBefore);
        return;
    }
    gate->release();
    QVERIFY(QTest::qWaitFor([&] { return status->text() != text(LanguageSection::Progress, 0); }, 30000));
    QTRY_VERIFY(!g_RepairRunning && !g_UpdateRunning && !page->UpdateActive());
    QCOMPARE(status->text(), text(LanguageSection::Progress, 1));
    QCOMPARE(upgradeStarts(), startsBefore + 2);
    QCOMPARE(recordAtFirstProgress, QString("211,4,51,11"));
    QCOMPARE(record(), QString());
}

// A transfer whose record cannot be written (read-only folder, full disk) would
// leave a device it breaks off with no road back: it does not start, and the
// dialog says the update could not be started.
void tst_FirmwareUpdate::transferNeedsItsRecord()
{
    std::unique_ptr<FormSetting> page;
    openRunDialog(false, page);
    if (QTest::currentTestFailed())
        return;
    UpDateRepair* dialog = g_UpDateRepairDialog;
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    // The records are written on the queue's thread: the folder is read-only there.
    const QString folder = QFileInfo(Registry::filePath()).absolutePath();
    QVERIFY(QDir().mkpath(folder));
    std::unique_ptr<UnwritableFolder> readOnly;
    WriteQueue::instance().post([&] {
        readOnly.reset(new UnwritableFolder(folder));
        return true;
    });
    const auto writable = qScopeGuard([&] {
        WriteQueue::instance().post([&] {
            readOnly.reset();
            return true;
        });
        WriteQueue::instance().drain();
    });
    const int startsBefore = upgradeStarts();

    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(waitForRunEnd(*page));
    QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 7));
    QCOMPARE(upgradeStarts(), startsBefore);
    QCOMPARE(record(), QString());
    QVERIFY(g_DevicePollingEnabled);
    QVERIFY(dialog->findChild<QToolButton*>("NewHong_2")->isEnabled());
    QVERIFY2(listed("r11").contains(" v1.3 "), qPrintable(listed("r11")));
    QVERIFY2(listed("m11").contains(" v1.3 "), qPrintable(listed("m11")));
}

void tst_FirmwareUpdate::transferGoesToTheDeviceCounted_data()
{
    addRunRoads();
}

// The library hands an image to a device waiting in its boot loader before any
// other: one plugged in while the record is being written would take the image
// meant for the receiver the run counted. The transfer does not start then.
void tst_FirmwareUpdate::transferGoesToTheDeviceCounted()
{
    QFETCH(bool, repair);

    std::unique_ptr<FormSetting> page;
    openRunDialog(repair, page);
    if (QTest::currentTestFailed())
        return;
    // Another receiver of the model, left in its boot loader, not yet plugged in.
    QJsonObject world = QJsonDocument::fromJson(HidSimControl::scenario()).object();
    QJsonArray receivers = world["receivers"].toArray();
    QJsonObject stranger = receiver("r11b", 4, 11, "4C1105");
    stranger["bootLoader"] = true;
    stranger["plugged"] = false;
    receivers.append(stranger);
    world["receivers"] = receivers;
    QVERIFY(HidSimControl::reset(QJsonDocument(world).toJson()));
    UpDateRepair* dialog = g_UpDateRepairDialog;
    auto* status = dialog->findChild<QLabel*>("ToolText_2");

    auto gate = std::make_shared<QSemaphore>();
    const auto openGate = qScopeGuard([gate] { gate->release(); });
    WriteQueue::instance().post([gate] {
        gate->acquire();
        return true;
    });
    const int startsBefore = upgradeStarts();
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return repair ? g_RepairRunning.load() : FormSetting::receiverUpdateState() == 1; }, 30000));
    QVERIFY(HidSimControl::plug("r11b"));
    gate->release();
    QVERIFY(QTest::qWaitFor([&] { return status->text() != text(LanguageSection::Progress, 0); }, 30000));
    QTRY_VERIFY(!g_RepairRunning && !g_UpdateRunning && !page->UpdateActive());
    QCOMPARE(upgradeStarts(), startsBefore);
    QCOMPARE(record(), QString(repair ? "211,4,51,11" : ""));
    QVERIFY2(listed("r11b").contains(" boot-loader "), qPrintable(listed("r11b")));
    QVERIFY2(!listed("r11b").contains(" v1.6 "), qPrintable(listed("r11b")));
}

void tst_FirmwareUpdate::anotherDevicesRecordWaitsForItsRepair_data()
{
    QTest::addColumn<QString>("when");  // when the record of another device is there
    QTest::newRow("another model's record, at the check") << "check";
    QTest::newRow("another model's record, written after the check") << "start";
    QTest::newRow("the receiver's record, its removal not written") << "removal";
}

// A record naming another device is that device's road back: an update never
// runs under it, never writes over it, and waits for its repair, saying so
// with the device list's own words. Here the pair m11/r11 is updated from the
// settings page.
void tst_FirmwareUpdate::anotherDevicesRecordWaitsForItsRepair()
{
    QFETCH(QString, when);

    const QString otherModel = "211,4,51,8";
    if (when == "check")
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", otherModel);
    std::unique_ptr<FormSetting> page;
    openRunDialog(false, page);
    if (QTest::currentTestFailed())
        return;
    UpDateRepair* dialog = g_UpDateRepairDialog;
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    auto* start = dialog->findChild<QToolButton*>("NewHong_2");
    const QString waits = text(LanguageSection::DialogChange, 2);
    const int startsBefore = upgradeStarts();
    if (when == "check") {
        QCOMPARE(status->text(), waits);
        QCOMPARE(start->text(), text(LanguageSection::DialogChange, 4));
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(upgradeStarts(), startsBefore);
        QCOMPARE(record(), otherModel);
        return;
    }
    QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 12));

    // The disk stops taking writes once the receiver is done, before its record goes.
    const QString folder = QFileInfo(Registry::filePath()).absolutePath();
    std::unique_ptr<UnwritableFolder> readOnly;
    const auto writable = qScopeGuard([&] {
        WriteQueue::instance().post([&] {
            readOnly.reset();
            return true;
        });
        WriteQueue::instance().drain();
    });
    if (when == "start") {
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", otherModel);
    } else {
        connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, dialog, [&](int index, const QString&) {
            if (index == 0)
                WriteQueue::instance().post([&] {
                    readOnly.reset(new UnwritableFolder(folder));
                    return true;
                });
        });
    }
    QTest::mouseClick(start, Qt::LeftButton);
    QVERIFY(waitForRunEnd(*page));
    QTRY_VERIFY(start->isVisible());
    QCOMPARE(status->text(), waits);
    if (when == "start") {
        QCOMPARE(upgradeStarts(), startsBefore);
        QCOMPARE(record(), otherModel);
        QVERIFY2(listed("r11").contains(" v1.3 "), qPrintable(listed("r11")));
    } else {
        // The receiver was updated; the mouse did not go under the receiver's record.
        QCOMPARE(upgradeStarts(), startsBefore + 1);
        QCOMPARE(statuses(m_progress), QList<int>{5});
        QCOMPARE(record(), QString("211,4,51,11"));
        QVERIFY2(listed("r11").contains(" v1.6 "), qPrintable(listed("r11")));
    }
    QVERIFY2(listed("m11").contains(" v1.3 "), qPrintable(listed("m11")));
    QTest::mouseClick(dialog->findChild<QToolButton*>("CloseButton"), Qt::LeftButton);
    if (when != "removal")
        return;

    // With the disk taking writes again, the device list's repair ends it all.
    WriteQueue::instance().post([&] {
        readOnly.reset();
        return true;
    });
    StopUsbChanged();
    g_LinkEnabled = 0;
    CurrentDevice::set(DeviceAllInfo());
    g_WorkerDeviceList.clear();
    repairToTheShippedVersions();
}

void tst_FirmwareUpdate::updateOfferedWhereItCanRun_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("receiverKind");  // of the simulated mouse; 0: a wired model
    QTest::addColumn<bool>("offered");

    // Model 7 has no receiver: the update, which needs one, can never run for it.
    QTest::newRow("wired model") << 7 << 0 << false;
    // Model 11 has a 4K receiver, not plugged in yet.
    QTest::newRow("receiver model on its cable alone") << 11 << 4 << true;
}

// A newer mouse image is offered only where the update can run; a press says
// what is missing either way.
void tst_FirmwareUpdate::updateOfferedWhereItCanRun()
{
    QFETCH(int, model);
    QFETCH(int, receiverKind);
    QFETCH(bool, offered);

    const QString id = QStringLiteral("m%1").arg(model);
    QJsonObject mouse = wiredMouse(id, model);
    mouse["receiverKind"] = receiverKind;
    QVERIFY(HidSimControl::reset(scenario(QJsonArray{mouse})));
    putImage("mouse.bin", firmwareImageFile(210, 51, quint8(model), "ORX-M" + QByteArray::number(model), 0x0107, 4096));
    QCOMPARE(openDevice(id, false), 1);

    FormSetting page;
    page.show();
    PostMsg::GetInstance()->PostSetver(0);
    auto* update = page.findChild<QPushButton*>("Receive_2");
    QCOMPARE(page.findChild<QLabel*>("label_7")->text(), QString("v1.3"));
    QCOMPARE(update->styleSheet().contains("WaitUpdate.png"), offered);
    QCOMPARE(update->styleSheet().contains("Confirm.png"), !offered);
    // A rescan's answer for the list keeps to the same rule.
    page.SlotLabelTextB(QString(), "true");
    QCOMPARE(update->styleSheet().contains("WaitUpdate.png"), offered);

    QTest::mouseClick(update, Qt::LeftButton);
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->findChild<QLabel*>("ToolText_2")->text(), text(LanguageSection::FormSetting, 23));
    QCOMPARE(dialog->findChild<QToolButton*>("NewHong_2")->text(), text(LanguageSection::DialogChange, 4));
    QVERIFY(listed(id).contains(" v1.3 "));
    QTest::mouseClick(dialog->findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}

void tst_FirmwareUpdate::refusals_data()
{
    QTest::addColumn<QString>("when");        // "check": refused before Start; "start": after it
    QTest::addColumn<QStringList>("devices"); // what the device scan lists instead of m11 and r11
    QTest::addColumn<QString>("failRecord");
    QTest::addColumn<QStringList>("images");  // "receiver", "mouse", "damaged"
    QTest::addColumn<QString>("expected");    // "FormSetting:<n>" or "AutoRepair:<n>"

    const QStringList both{"receiver", "mouse"};
    QTest::newRow("no device") << "check" << QStringList{"none"} << "" << both << "FormSetting:25";
    QTest::newRow("several receivers") << "check" << QStringList{"m11", "r11", "r11b"} << "" << both << "FormSetting:27";
    QTest::newRow("several mice") << "check" << QStringList{"m11", "m11b", "r11"} << "" << both << "FormSetting:26";
    QTest::newRow("two receivers") << "check" << QStringList{"r11", "r11b"} << "" << both << "FormSetting:24";
    QTest::newRow("wrong model beside the mouse") << "check" << QStringList{"m11", "r8"} << "" << both
                                                  << "FormSetting:23";
    QTest::newRow("record names another model") << "check" << QStringList{"m11"} << "211,4,51,8" << both
                                                << "FormSetting:24";
    QTest::newRow("mouse alone without a record") << "check" << QStringList{"m11"} << "" << both << "FormSetting:23";
    QTest::newRow("record but no device in the boot loader") << "check" << QStringList{"m11"} << "211,4,51,11" << both
                                                             << "FormSetting:15";
    QTest::newRow("no image at the start") << "start" << QStringList{} << "" << QStringList{} << "FormSetting:18";
    QTest::newRow("no device at the start") << "start" << QStringList{"none"} << "" << both << "FormSetting:15";
    QTest::newRow("several receivers at the start") << "start" << QStringList{"m11", "r11", "r11b"} << "" << both
                                                    << "FormSetting:17";
    QTest::newRow("damaged images") << "start" << QStringList{} << "" << QStringList{"damaged"} << "AutoRepair:7";
}

// Devices the scan may list, besides the simulated m11 and r11.
static DeviceAllInfo scanEntry(const QString& name)
{
    DeviceAllInfo d;
    d.path = "path-" + name;
    d.cid = 51;
    d.mid = name == "r8" ? 8 : 11;
    d.modelIndex = 3;
    d.direct = name.startsWith('m') ? 1 : 0;
    d.connectionType = d.direct ? 2 : 1;
    d.pid = d.direct ? "0A01" : "4A01";
    if (!d.direct)
        d.address = {0x4C, 0x11, 0x05};
    return d;
}

void tst_FirmwareUpdate::refusals()
{
    QFETCH(QString, when);
    QFETCH(QStringList, devices);
    QFETCH(QString, failRecord);
    QFETCH(QStringList, images);
    QFETCH(QString, expected);

    putModelImages();
    QVERIFY(openMouseOnCable(false));
    const QList<DeviceAllInfo> real = g_WorkerDeviceList;
    auto scanList = [&] {
        QList<DeviceAllInfo> list;
        for (const QString& name : devices) {
            if (name == "m11")
                list << real.at(0);
            else if (name == "r11")
                list << real.at(1);
            else if (name != "none")
                list << scanEntry(name);
        }
        return list;
    };
    if (!failRecord.isEmpty())
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", failRecord);
    FormSetting page;
    page.show();
    PostMsg::GetInstance()->PostSetver(0);
    if (when == "check" && !devices.isEmpty())
        g_WorkerDeviceList = scanList();

    auto* update = page.findChild<QPushButton*>("Receive_2");
    QTest::mouseClick(update, Qt::LeftButton);
    UpDateRepair* dialog = g_UpDateRepairDialog;
    QVERIFY(dialog->isVisible());
    auto* status = dialog->findChild<QLabel*>("ToolText_2");
    auto* start = dialog->findChild<QToolButton*>("NewHong_2");
    if (when == "start") {
        QCOMPARE(status->text(), text(LanguageSection::AutoRepair, 12));
        if (!devices.isEmpty())
            g_WorkerDeviceList = scanList();
        if (images != QStringList{"receiver", "mouse"})
            QDir(m_fx.link.appDir() + "/bin").removeRecursively();
        if (images.contains("damaged")) {
            putImage("m11_receiver.bin", firmwareImageFile(211, 51, 11, "ORX-R4K", 0x0106, 4096, true));
            putImage("m11_mouse.bin", firmwareImageFile(210, 51, 11, "ORX-M11", 0x0107, 4096, true));
        }
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(waitForRunEnd(page));
    }

    const QStringList e = expected.split(':');
    const QString reason =
        text(e.at(0) == "AutoRepair" ? LanguageSection::AutoRepair : LanguageSection::FormSetting, e.at(1).toInt());
    QCOMPARE(status->text(), reason);
    // Closable: Close shown with its caption, the cross enabled, nothing sent.
    QVERIFY(start->isVisible());
    QCOMPARE(start->text(), text(LanguageSection::DialogChange, 4));
    QVERIFY(dialog->findChild<QToolButton*>("CloseButton")->isEnabled());
    QVERIFY(!UpDateRepair::transferInProgress());
    QVERIFY(g_DevicePollingEnabled);
    QVERIFY(!g_UpdateRunning);
    QCOMPARE(statuses(m_progress), QList<int>{});
    QVERIFY(HidSimControl::describe().contains(" v1.3 "));
    QVERIFY(!HidSimControl::describe().contains("v1.6"));
    QVERIFY(!HidSimControl::describe().contains("v1.7"));
    QCOMPARE(record(), failRecord);
    if (images.contains("damaged")) {
        QFile log(UpdateLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).contains("refused"));
    }
    QSignalSpy leave(PostMsg::GetInstance(), &PostMsg::SigChangeMainDialog);
    QTest::mouseClick(start, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(leave.count(), 0);
}

void tst_FirmwareUpdate::versionsOffered_data()
{
    QTest::addColumn<QString>("receiverVersion");
    QTest::addColumn<QString>("mouseVersion");
    QTest::addColumn<int>("receiverImage");  // image version word; 0: none
    QTest::addColumn<int>("mouseImage");
    QTest::addColumn<bool>("receiverOffered");
    QTest::addColumn<bool>("mouseOffered");

    QTest::newRow("both newer") << "v1.3" << "v1.3" << 0x0106 << 0x0107 << true << true;
    QTest::newRow("both at the images' versions") << "v1.6" << "v1.7" << 0x0106 << 0x0107 << false << false;
    QTest::newRow("older image is offered too") << "v1.3" << "v1.3" << 0x0102 << 0x0103 << true << false;
    QTest::newRow("minor 10 is not minor a") << "v1.a" << "v1.10" << 0x0110 << 0x010A << true << true;
    QTest::newRow("leading zero of the minor") << "v1.05" << "v2.0" << 0x0105 << 0x0200 << false << false;
    QTest::newRow("major above 255") << "v298.3" << "v1.3" << 0x012A03 << 0 << false << false;
    QTest::newRow("no images") << "v1.3" << "v1.3" << 0 << 0 << false << false;
    QTest::newRow("receiver version unknown") << "" << "v1.3" << 0x0106 << 0x0103 << false << false;
}

void tst_FirmwareUpdate::versionsOffered()
{
    QFETCH(QString, receiverVersion);
    QFETCH(QString, mouseVersion);
    QFETCH(int, receiverImage);
    QFETCH(int, mouseImage);
    QFETCH(bool, receiverOffered);
    QFETCH(bool, mouseOffered);

    QVERIFY(QDir().mkpath(m_fx.link.appDir() + "/bin"));
    if (receiverImage)
        putImage("r.bin", firmwareImageFile(211, 51, 11, "ORX-R4K", quint32(receiverImage)));
    if (mouseImage)
        putImage("m.bin", firmwareImageFile(210, 51, 11, "ORX-M11", quint32(mouseImage)));
    // The 4K receiver is opened: its version and its mouse's.
    DeviceAllInfo device = m_fx.link.listEntry("r11");
    QVERIFY(!device.path.isEmpty());
    device.online = 1;
    device.receiverVersion = receiverVersion;
    device.firmwareVersion = mouseVersion;
    CurrentDevice::set(device);
    FormSetting page;
    PostMsg::GetInstance()->PostSetver(0);
    QCOMPARE(bool(g_DongleUpdateRequested), receiverOffered);
    QCOMPARE(bool(g_MouseUpdateRequested), mouseOffered);
    QCOMPARE(page.findChild<QPushButton*>("Receive_2")->styleSheet().contains("WaitUpdate.png"),
             receiverOffered || mouseOffered);
    QCOMPARE(page.findChild<QLabel*>("label_5")->text(), receiverVersion);
    QCOMPARE(page.findChild<QLabel*>("label_7")->text(), mouseVersion);
}

QTEST_MAIN(tst_FirmwareUpdate)
#include "tst_firmwareupdate.moc"
