#include "ModalDialogDriver.h"

#include "app/DialogMain.h"
#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "device/DeviceDiscovery.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/Worker.h"
#include "platform/Registry.h"
#include "ui/home/Dialog.h"
#include "ui/home/DialogChange.h"
#include "device/UpdateRecords.h"

#include <HidSimControl.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstdio>

using hidsim::HidSimControl;

namespace {

const char kExitProbeVariable[] = "DESKLINK_TRAY_EXIT_PROBE";
const char kNoDevices[] = R"({"vendorId": "3A7C", "mice": [], "receivers": []})";

QStringList libraryCalls(const QString& prefix = QString())
{
    QStringList calls;
    for (const hidsim::CallRecord& r : HidSimControl::callLog()) {
        if (r.function.startsWith(prefix))
            calls << r.function + "(" + r.arguments + ")";
    }
    return calls;
}

// The calls that talk to the device or change the link (not the list's
// online queries, which the device list may make at any time).
QStringList linkCalls()
{
    return libraryCalls().filter(QRegularExpression("^(UsbServer|StartUsbChanged|StopUsbChanged)"));
}

void sendMouse(QWidget* w, QEvent::Type type, const QPoint& local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

DeviceAllInfo receiverEntry(int connectionType, const QString& receiverVersion)
{
    DeviceAllInfo d;
    d.path = "virtual-receiver";
    d.cid = 51;
    d.mid = 16;
    d.connectionType = static_cast<quint8>(connectionType);
    d.direct = DeviceAllInfo::isDirectConnection(d.connectionType);
    d.modelIndex = 5;  // "Drive6": model id 16, mouse and 4K-receiver images in "bin"
    d.receiverVersion = receiverVersion;
    return d;
}

} // namespace

class tst_DialogMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void startsOnTheList();
    void pageSwitching();
    void backArrowReturnsToTheList();
    void keys_data();
    void keys();
    void spaceOnTheList_data();
    void spaceOnTheList();
    void spaceOnTheHomePage();
    void spaceOnTheHomePageKeepsTheDeviceChanges();
    void dragging_data();
    void dragging();
    void offlineNoticeIsNotStacked();
    void aNoticeRaisedInAPressEndsThatPress();
    void trayFromTheHomePage();
    void trayCyclesAndMenu();
    void trayRestoreCallsOnlyForTheHomePage_data();
    void trayRestoreCallsOnlyForTheHomePage();
    void trayMenuFollowsTheLanguage();
    void trayExitMakesNoDeviceCall();
    void minimiseWithoutATray_data();
    void minimiseWithoutATray();
    void trayExitEndsTheProcess();
    void closingANoticeInTheTrayKeepsRunning();
    void closingTheWindowEndsTheProgram();

private:
    void showList();
    void showHome();
    QStackedWidget* stack() const { return m_window->findChild<QStackedWidget*>("stackedWidgetMain"); }

    DialogMain* m_window = nullptr;
};

void tst_DialogMain::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    // The offscreen platform has no tray; the tray's own road is tested as on
    // a desktop that has one.
    DialogMain::setTrayAvailabilityForTests([] { return true; });
    ConfigSettings::resetForTests();
    QVERIFY(HidSimControl::reset(kNoDevices));
    m_window = new DialogMain();
    m_window->move(100, 100);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    // The list's first scan (of no devices) is over before a test fills the list.
    QTRY_VERIFY(m_window->listPage()->firstScanDone());
}

void tst_DialogMain::init()
{
    g_MacroRecording = false;
    g_DeviceList.clear();
    Registry::remove(Registry::mouseDriveTestKeyPath(), "MouseVer5116");
    if (!m_window->isVisible()) {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    HidSimControl::clearCallLog();
}

void tst_DialogMain::showList()
{
    g_DevicePollingEnabled = true;
    if (stack()->currentIndex() != 0)
        m_window->SlotChangeMainDialog(0);
    HidSimControl::clearCallLog();
}

void tst_DialogMain::showHome()
{
    // No device is open: keep the device thread's scan from returning to the
    // list in the middle of a test.
    g_DevicePollingEnabled = false;
    if (stack()->currentIndex() != 1)
        m_window->SlotChangeMainDialog(1);
    HidSimControl::clearCallLog();
}

void tst_DialogMain::startsOnTheList()
{
    QCOMPARE(stack()->currentIndex(), 0);
    QCOMPARE(stack()->currentWidget(), static_cast<QWidget*>(m_window->listPage()));
    QCOMPARE(stack()->widget(1), static_cast<QWidget*>(m_window->homePage()));
    QCOMPARE(m_window->size(), QSize(1020, 700));
    QCOMPARE(m_window->minimumSize(), QSize(1020, 700));
    QCOMPARE(m_window->maximumSize(), QSize(1020, 700));
    QCOMPARE(m_window->windowTitle(), QString("Orvex DeskLink"));
    QCOMPARE(int(m_window->windowFlags() & ~Qt::WindowType_Mask), 0x6800);
    QVERIFY(!QApplication::quitOnLastWindowClosed());
    QVERIFY(!m_window->trayIcon()->isVisible());
    QCOMPARE(m_window->trayIcon()->toolTip(), g_AppName);
}

void tst_DialogMain::pageSwitching()
{
    QStringList events;
    PostMsg* bus = PostMsg::GetInstance();
    QObject scope;  // the connections end with this test, even when a check fails
    connect(bus, &PostMsg::SigSecondPageChange, &scope, [&] { events << "SecondPageChange"; });
    connect(bus, &PostMsg::SigMainPageChange, &scope, [&] {
        events << QString("MainPageChange link=%1").arg(g_LinkEnabled.load());
    });

    g_UiReady = false;
    bus->PostChangeMainDialog(1);
    QVERIFY(g_UiReady);
    QCOMPARE(stack()->currentIndex(), 1);
    QCOMPARE(libraryCalls("StartUsbChanged").size(), 1);

    HidSimControl::clearCallLog();
    g_LinkEnabled = 1;
    bus->PostChangeMainDialog(0);
    QCOMPARE(stack()->currentIndex(), 0);
    QCOMPARE(events, QStringList({"SecondPageChange", "MainPageChange link=0"}));
    const QStringList calls = libraryCalls();
    QVERIFY2(calls.indexOf("UsbServer_Exit()") >= 0 && calls.indexOf(QRegularExpression("^StartUsbChanged.*"))
                 > calls.indexOf("UsbServer_Exit()"),
             qPrintable(calls.join(' ')));

    HidSimControl::clearCallLog();
    g_UiReady = false;
    bus->PostChangeMainDialog(5);
    QVERIFY(g_UiReady);
    QCOMPARE(stack()->currentIndex(), 0);
    QCOMPARE(linkCalls(), QStringList());
}

void tst_DialogMain::backArrowReturnsToTheList()
{
    showHome();
    g_LinkEnabled = 1;
    QSignalSpy macroPage(PostMsg::GetInstance(), &PostMsg::SigSetMacroPage);
    QTest::mouseClick(m_window->homePage()->findChild<QToolButton*>("UpArrow"), Qt::LeftButton);
    QCOMPARE(stack()->currentIndex(), 0);
    QCOMPARE(g_LinkEnabled.load(), 0);
    QCOMPARE(macroPage.count(), 1);
    const QStringList calls = linkCalls();
    QCOMPARE(calls.first(), QString("UsbServer_SetPCDriverStatus(0)"));
    // The list's device-change callback is registered again, last.
    QVERIFY2(calls.last().startsWith("StartUsbChanged"), qPrintable(calls.join(' ')));
}

void tst_DialogMain::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<int>("enterSignals");

    QTest::newRow("Escape") << int(Qt::Key_Escape) << false << 0;
    QTest::newRow("F12") << int(Qt::Key_F12) << false << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << false << 1;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << false << 1;
    QTest::newRow("Return while recording") << int(Qt::Key_Return) << true << 0;
    QTest::newRow("Space while recording") << int(Qt::Key_Space) << true << 0;
    QTest::newRow("other key") << int(Qt::Key_A) << false << 0;
}

void tst_DialogMain::keys()
{
    QFETCH(int, key);
    QFETCH(bool, recording);
    QFETCH(int, enterSignals);

    // A receiver alone on the list: Space would act if it were not ignored.
    showList();
    g_DeviceList = {receiverEntry(1, "v1.3")};
    g_MacroRecording = recording;
    QSignalSpy enter(PostMsg::GetInstance(), &PostMsg::SigEnterKey);
    ModalDialogDriver driver;
    driver.forbidDialogs(true);

    QTest::keyClick(m_window, Qt::Key(key));
    QTest::qWait(30);

    QCOMPARE(enter.count(), enterSignals);
    QVERIFY(m_window->isVisible());
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
}

void tst_DialogMain::spaceOnTheList_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<QString>("mouseVersion");     // recorded in the registry; empty: none
    QTest::addColumn<QString>("receiverVersion");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<bool>("confirmUpdate");
    QTest::addColumn<bool>("linkRestarted");
    QTest::addColumn<bool>("inCatalogue");

    const QStringList none;
    const QStringList pairing{"Match"};
    // The images in "bin" for this model are version 1.4 for mouse and receiver.
    QTest::newRow("no device") << 0 << 1 << "v1.3" << "v1.3" << none << false << false << true;
    QTest::newRow("two devices") << 2 << 1 << "v1.3" << "v1.3" << none << false << false << true;
    QTest::newRow("one mouse on its cable") << 1 << 2 << "v1.3" << "v1.3" << none << false << false << true;
    QTest::newRow("never connected: pair") << 1 << 1 << "" << "v1.3" << pairing << false << true << true;
    QTest::newRow("no update: pair") << 1 << 1 << "v1.4" << "v1.4" << pairing << false << true << true;
    QTest::newRow("both updates: pair") << 1 << 1 << "v1.3" << "v1.3" << pairing << false << true << true;
    QTest::newRow("mouse update: warning") << 1 << 1 << "v1.3" << "v1.4" << QStringList{"UpDateWarning"} << false
                                           << false << true;
    QTest::newRow("receiver update declined") << 1 << 1 << "v1.4" << "v1.3" << QStringList{"ContainReset"} << false
                                              << false << true;
    QTest::newRow("receiver update confirmed")
        << 1 << 1 << "v1.4" << "v1.3" << QStringList{"ContainReset", "UpDateRepair"} << true << false << true;
    QTest::newRow("receiver kind without an image name: mouse update warns")
        << 1 << 5 << "v1.3" << "v1.3" << QStringList{"UpDateWarning"} << false << false << true;
    // Listed with no connection type of its own: Space has nothing to act on.
    QTest::newRow("receiver outside the catalogue") << 1 << 0 << "" << "v1.3" << none << false << false << false;
}

void tst_DialogMain::spaceOnTheList()
{
    QFETCH(int, devices);
    QFETCH(int, connectionType);
    QFETCH(QString, mouseVersion);
    QFETCH(QString, receiverVersion);
    QFETCH(QStringList, dialogs);
    QFETCH(bool, confirmUpdate);
    QFETCH(bool, linkRestarted);
    QFETCH(bool, inCatalogue);

    showList();
    for (int i = 0; i < devices; ++i) {
        g_DeviceList << receiverEntry(connectionType, receiverVersion);
        if (!inCatalogue)
            g_DeviceList.last().modelIndex = DeviceDiscovery::DeviceTotal();
    }
    if (!mouseVersion.isEmpty())
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer5116", mouseVersion);
    g_UpdateWarningText = "update the mouse first";
    g_ReceiverUpdateText = "update the receiver?";
    g_MatchMode = 7;

    QStringList messages;
    QString updateStatus;
    bool updateBarShown = false;
    int matchMode = -1;
    QPoint shownAt;
    QSize shownSize;
    ModalDialogDriver driver;
    for (const QString& name : dialogs) {
        driver.expect(name, [&, name](QWidget* d) {
            shownAt = d->pos();
            shownSize = d->size();
            if (name == "Match") {
                matchMode = g_MatchMode;
                ModalDialogDriver::click(d, "CloseButton");
            } else if (name == "ContainReset") {
                messages << ModalDialogDriver::labelText(d, "label");
                ModalDialogDriver::click(d, confirmUpdate ? "OK" : "Cancel");
            } else if (name == "UpDateWarning") {
                messages << ModalDialogDriver::labelText(d, "label");
                ModalDialogDriver::click(d, "CloseButton");
            } else {
                // The update dialog comes up showing its run, not the form's own texts.
                updateStatus = ModalDialogDriver::labelText(d, "ToolText_2");
                updateBarShown = d->findChild<QProgressBar*>("progressBar_2")->isVisible();
                static_cast<QDialog*>(d)->reject();
            }
        });
    }
    if (dialogs.isEmpty())
        driver.forbidDialogs(true);

    QTest::keyClick(m_window, Qt::Key_Space);
    QTest::qWait(20);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.seen(), dialogs);

    const QPoint centre = m_window->pos();
    if (dialogs == QStringList{"Match"}) {
        QCOMPARE(matchMode, 0);
        QCOMPARE(shownAt, QPoint(centre.x() + (1020 - shownSize.width()) / 2,
                                 centre.y() + (700 - shownSize.height()) / 2));
    }
    if (dialogs.value(0) == "UpDateWarning") {
        QCOMPARE(messages, QStringList{g_UpdateWarningText});
        QCOMPARE(shownAt, QPoint(centre.x() + (1020 - shownSize.width()) / 2 - 20,
                                 centre.y() + (700 - shownSize.height()) / 2));
    }
    if (dialogs.value(0) == "ContainReset")
        QCOMPARE(messages, QStringList{g_ReceiverUpdateText});
    if (dialogs.contains("UpDateRepair")) {
        // No receiver answers here: the start is refused and the dialog says so.
        const QStringList shown{LanguageTables::text(LanguageSection::Progress, 0, 0),
                                LanguageTables::text(LanguageSection::Progress, 0, 2)};
        QVERIFY2(shown.contains(updateStatus), qPrintable(updateStatus));
        QVERIFY(updateBarShown);
        // The start is asked for once its record is on disk, and takes the record back.
        QTRY_COMPARE(UpdateRecords::failure(), QString());
    }
    QCOMPARE(libraryCalls("UsbServerC_Start").size(), linkRestarted ? 1 : 0);
}

void tst_DialogMain::spaceOnTheHomePage()
{
    showHome();
    g_MatchMode = 7;
    int matchMode = -1;
    ModalDialogDriver driver;
    driver.expect("Match", [&](QWidget* d) {
        matchMode = g_MatchMode;
        ModalDialogDriver::click(d, "CloseButton");
    });
    QTest::keyClick(m_window, Qt::Key_Space);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(matchMode, 1);
    QCOMPARE(libraryCalls("UsbServerC_Start").size(), 1);
    showList();
}

// The pairing dialog gives the device changes to the list when it closes; the
// open device page takes them back, so its device leaving still returns to the
// list.
void tst_DialogMain::spaceOnTheHomePageKeepsTheDeviceChanges()
{
    showHome();
    QVERIFY(g_Worker);
    DeviceAllInfo gone;
    gone.path = "a device that is no longer listed";
    PostMsg::GetInstance()->PostSelectMouseInfo(gone);
    ModalDialogDriver driver;
    driver.expect("Match", [&](QWidget* d) {
        // From here the device thread would return to the list.
        g_DevicePollingEnabled = true;
        ModalDialogDriver::click(d, "CloseButton");
    });
    QTest::keyClick(m_window, Qt::Key_Space);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(libraryCalls("StartUsbChanged").size(), 2);
    QTRY_COMPARE(stack()->currentIndex(), 0);
}

void tst_DialogMain::dragging_data()
{
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QPoint>("moved");

    QTest::newRow("left button drags") << QPoint(50, 40) << int(Qt::LeftButton) << QPoint(30, 20);
    QTest::newRow("top-left pixel does not") << QPoint(0, 0) << int(Qt::LeftButton) << QPoint(0, 0);
    QTest::newRow("right button does not") << QPoint(50, 40) << int(Qt::RightButton) << QPoint(0, 0);
    QTest::newRow("two buttons do not") << QPoint(50, 40) << int(Qt::LeftButton | Qt::RightButton) << QPoint(0, 0);
}

void tst_DialogMain::dragging()
{
    QFETCH(QPoint, pressAt);
    QFETCH(int, buttons);
    QFETCH(QPoint, moved);

    m_window->move(100, 100);
    const QPoint start = m_window->pos();
    const auto held = Qt::MouseButtons(buttons);
    const Qt::MouseButton first = held & Qt::LeftButton ? Qt::LeftButton : Qt::RightButton;
    sendMouse(m_window, QEvent::MouseButtonPress, pressAt, first, held);
    // Events carry global positions: the window's own move must not feed back.
    const QPoint globalPress = m_window->mapToGlobal(pressAt);
    QMouseEvent move(QEvent::MouseMove, pressAt + QPoint(30, 20), globalPress + QPoint(30, 20), Qt::NoButton, held,
                     Qt::NoModifier);
    QApplication::sendEvent(m_window, &move);
    QCOMPARE(m_window->pos() - start, moved);

    sendMouse(m_window, QEvent::MouseButtonRelease, pressAt, first, Qt::NoButton);
    const QPoint afterRelease = m_window->pos();
    QMouseEvent late(QEvent::MouseMove, QPoint(5, 5), globalPress + QPoint(90, 90), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_window, &late);
    QCOMPARE(m_window->pos(), afterRelease);
    m_window->move(100, 100);
}

void tst_DialogMain::offlineNoticeIsNotStacked()
{
    m_window->move(100, 100);
    g_OfflineNoticeOpen = false;
    g_RefreshPending = false;
    int noticesOpen = 0;
    QString message;
    QStringList updatedMessages;
    QPoint shownAt;
    bool flagsSet = false;
    ModalDialogDriver driver;
    driver.expect("MouseOffLine", [&](QWidget* d) {
        message = ModalDialogDriver::labelText(d, "label");
        shownAt = d->pos();
        flagsSet = g_OfflineNoticeOpen && g_RefreshPending;
        // Further reports while it is open: the open notice says what the
        // latest one says.
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        updatedMessages << ModalDialogDriver::labelText(d, "label");
        PostMsg::GetInstance()->PostMouseOffLineo(1);
        updatedMessages << ModalDialogDriver::labelText(d, "label");
        for (QWidget* w : QApplication::topLevelWidgets())
            noticesOpen += (w->inherits("MouseOffLine") && w->isVisible()) ? 1 : 0;
        // The device answers again.
        PostMsg::GetInstance()->PostCloseOffOnline();
    });
    PostMsg::GetInstance()->PostMouseOffLineo(1);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(noticesOpen, 1);
    QVERIFY(flagsSet);
    QCOMPARE(message, LanguageTables::text(LanguageSection::MouseOffLine, g_LanguageIndex, 1));
    QVERIFY(!message.isEmpty());
    QCOMPARE(updatedMessages, QStringList({LanguageTables::text(LanguageSection::MouseOffLine, g_LanguageIndex, 0),
                                           LanguageTables::text(LanguageSection::MouseOffLine, g_LanguageIndex, 1)}));
    QCOMPARE(shownAt, QPoint(100 + (1020 - 300) / 2, 100 - 20 + (700 - 140) / 2));

    // Once closed, the next report opens a notice again.
    QString nextMessage;
    ModalDialogDriver again;
    again.expect("MouseOffLine", [&](QWidget* d) {
        nextMessage = ModalDialogDriver::labelText(d, "label");
        ModalDialogDriver::click(d, "NewHong");
    });
    PostMsg::GetInstance()->PostMouseOffLineo(0);
    QVERIFY2(again.allHandled(), qPrintable(again.failures().join('\n')));
    QCOMPARE(nextMessage, LanguageTables::text(LanguageSection::MouseOffLine, g_LanguageIndex, 0));
}

void tst_DialogMain::aNoticeRaisedInAPressEndsThatPress()
{
    // A control that steps while the button is held (a slider's groove), whose
    // step the offline mouse refuses.
    QSlider slider(Qt::Horizontal);
    slider.setRange(1, 10);
    slider.setPageStep(1);
    slider.setTracking(false);
    slider.setValue(5);
    slider.setGeometry(300, 300, 200, 20);
    slider.show();
    QVERIFY(QTest::qWaitForWindowExposed(&slider));
    int steps = 0;
    connect(&slider, &QSlider::valueChanged, &slider, [&steps] {
        ++steps;
        PostMsg::GetInstance()->PostMouseOffLineo(0);
    });
    const QPoint groove(180, 10);
    QCursor::setPos(slider.mapToGlobal(groove));

    ModalDialogDriver driver;
    driver.expect("MouseOffLine", [&](QWidget* d) {
        // The button comes up while the notice is open: the slider never sees it.
        QTest::mouseRelease(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, groove);
        ModalDialogDriver::click(d, "NewHong");
    });
    QTest::mousePress(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, groove);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));

    // Still held, the groove would step again once its repeat delay is over,
    // and each step would raise the notice once more.
    driver.forbidDialogs(true);
    QTest::qWait(1500);
    QVERIFY2(driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(steps, 1);
    QCOMPARE(slider.value(), 6);
}

void tst_DialogMain::trayFromTheHomePage()
{
    showHome();
    PostMsg::GetInstance()->PostChangeSize(0);
    QCOMPARE(linkCalls(), QStringList({"UsbServer_SetPCDriverStatus(0)"}));
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_window->trayIcon()->isVisible());

    HidSimControl::clearCallLog();
    emit m_window->trayIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->trayIcon()->isVisible());
    QCOMPARE(linkCalls(), QStringList({"UsbServer_SetPCDriverStatus(1)"}));
    showList();

    // From the list: no device call on the way out.
    PostMsg::GetInstance()->PostChangeSize(2);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(linkCalls(), QStringList());
    emit m_window->trayIcon()->activated(QSystemTrayIcon::Trigger);
}

void tst_DialogMain::trayCyclesAndMenu()
{
    showList();
    for (int i = 0; i < 3; ++i) {
        m_window->SlotChangeSize(2);
        QVERIFY(m_window->trayIcon()->isVisible());
        emit m_window->trayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(m_window->isVisible());
    }
    m_window->SlotChangeSize(2);

    QStringList entries;
    ModalDialogDriver driver;
    driver.expect("QMenu", [&](QWidget* menu) {
        for (QAction* a : menu->actions())
            entries << (a->isSeparator() ? QString("-") : a->text());
        menu->close();
    });
    emit m_window->trayIcon()->activated(QSystemTrayIcon::Context);
    driver.forbidDialogs(true);
    QTest::qWait(50);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.handledCount(), 1);
    QCOMPARE(entries, QStringList({LanguageTables::text(LanguageSection::DialogMain, g_LanguageIndex, 0), "-",
                                   LanguageTables::text(LanguageSection::DialogMain, g_LanguageIndex, 1)}));
    QVERIFY(!m_window->isVisible());

    // The restore entry brings the window back.
    m_window->trayMenu()->actions().first()->trigger();
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->trayIcon()->isVisible());
}

void tst_DialogMain::trayRestoreCallsOnlyForTheHomePage_data()
{
    QTest::addColumn<bool>("home");
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<QStringList>("calls");

    const QStringList active{"UsbServer_SetPCDriverStatus(1)"};
    QTest::newRow("click on the home page") << true << int(QSystemTrayIcon::Trigger) << true << active;
    QTest::newRow("double click on the home page") << true << int(QSystemTrayIcon::DoubleClick) << true
                                                   << QStringList();
    QTest::newRow("click on the list") << false << int(QSystemTrayIcon::Trigger) << true << QStringList();
    QTest::newRow("middle click does nothing") << true << int(QSystemTrayIcon::MiddleClick) << false
                                               << QStringList();
}

void tst_DialogMain::trayRestoreCallsOnlyForTheHomePage()
{
    QFETCH(bool, home);
    QFETCH(int, reason);
    QFETCH(bool, restored);
    QFETCH(QStringList, calls);

    home ? showHome() : showList();
    m_window->SlotChangeSize(2);
    HidSimControl::clearCallLog();
    emit m_window->trayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(m_window->isVisible(), restored);
    QCOMPARE(m_window->trayIcon()->isVisible(), !restored);
    QCOMPARE(linkCalls(), calls);
    showList();
}

void tst_DialogMain::trayMenuFollowsTheLanguage()
{
    showList();
    const int before = g_LanguageIndex;
    g_LanguageIndex = 2;
    PostMsg::GetInstance()->PostAllLanguage(2);
    m_window->SlotChangeSize(2);
    const QList<QAction*> actions = m_window->trayMenu()->actions();
    QCOMPARE(actions.first()->text(), LanguageTables::text(LanguageSection::DialogMain, 2, 0));
    QCOMPARE(actions.last()->text(), LanguageTables::text(LanguageSection::DialogMain, 2, 1));
    QVERIFY(actions.first()->text() != LanguageTables::text(LanguageSection::DialogMain, 0, 0));
    m_window->slotActionMain();
    g_LanguageIndex = before;
    PostMsg::GetInstance()->PostAllLanguage(before);
}

void tst_DialogMain::trayExitMakesNoDeviceCall()
{
    showHome();
    m_window->SlotChangeSize(0);
    HidSimControl::clearCallLog();
    QList<int> codes;
    DialogMain::setExitFunctionForTests([&](int code) { codes << code; });
    QSignalSpy size(PostMsg::GetInstance(), &PostMsg::SigChangeSize);
    m_window->trayMenu()->actions().last()->trigger();
    DialogMain::setExitFunctionForTests(nullptr);
    QCOMPARE(codes, QList<int>({0}));
    QCOMPARE(libraryCalls(), QStringList());
    QCOMPARE(size.count(), 0);
    m_window->slotActionMain();
    showList();
}

void tst_DialogMain::minimiseWithoutATray_data()
{
    QTest::addColumn<bool>("home");
    QTest::addColumn<int>("action");
    QTest::addColumn<QStringList>("callsOut");
    QTest::addColumn<QStringList>("callsBack");

    const QStringList inactive{"UsbServer_SetPCDriverStatus(0)"};
    const QStringList active{"UsbServer_SetPCDriverStatus(1)"};
    QTest::newRow("home page, page button") << true << 0 << inactive << active;
    QTest::newRow("home page, window button") << true << 2 << QStringList() << active;
    QTest::newRow("device list") << false << 2 << QStringList() << QStringList();
}

// On a desktop without a tray the window is minimised, never hidden: it stays
// the user's way back, and coming back tells the device as the tray does.
void tst_DialogMain::minimiseWithoutATray()
{
    QFETCH(bool, home);
    QFETCH(int, action);
    QFETCH(QStringList, callsOut);
    QFETCH(QStringList, callsBack);
    DialogMain::setTrayAvailabilityForTests([] { return false; });
    home ? showHome() : showList();

    m_window->SlotChangeSize(action);
    DialogMain::setTrayAvailabilityForTests([] { return true; });
    QCOMPARE(linkCalls(), callsOut);
    QVERIFY(!m_window->isHidden());
    QVERIFY(m_window->isMinimized());
    QVERIFY(!m_window->trayIcon()->isVisible());

    HidSimControl::clearCallLog();
    m_window->showNormal();
    QVERIFY(!m_window->isMinimized());
    QTRY_COMPARE(linkCalls(), callsBack);
    // Only the way back from that minimise tells the device.
    HidSimControl::clearCallLog();
    m_window->showMinimized();
    m_window->showNormal();
    QTest::qWait(20);
    QCOMPARE(linkCalls(), QStringList());
    showList();
}

void tst_DialogMain::trayExitEndsTheProcess()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kExitProbeVariable, "1");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(child.waitForFinished(60000));
    const QByteArray out = child.readAllStandardOutput();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY2(out.contains("in the tray") && !out.contains("still running"), out.constData());
}

void tst_DialogMain::closingANoticeInTheTrayKeepsRunning()
{
    showList();
    ModalDialogDriver driver;
    QTimer::singleShot(0, this, [&] {
        m_window->SlotChangeSize(2);
        driver.expect("MouseOffLine", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        // Any parentless dialog: with the window in the tray it is the last
        // visible window when it closes.
        QDialog plain;
        plain.setObjectName("plain");
        driver.expect("plain", [](QWidget* d) { d->close(); });
        plain.exec();
        // Still here after both closed: end the loop ourselves.
        QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(7); });
    });
    QCOMPARE(QApplication::exec(), 7);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    m_window->slotActionMain();
}

void tst_DialogMain::closingTheWindowEndsTheProgram()
{
    showHome();
    QTimer::singleShot(0, this, [&] { PostMsg::GetInstance()->PostChangeSize(1); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(9); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!m_window->isVisible());
    const QStringList calls = linkCalls();
    QCOMPARE(calls.first(), QString("UsbServer_SetPCDriverStatus(0)"));
    QVERIFY(calls.indexOf("StopUsbChanged()") >= 0);
    QCOMPARE(calls.last(), QString("UsbServer_Exit()"));
}

// The real exit of the tray menu, in a child process: it must end the process
// with code 0 at once.
static int runExitProbe(int argc, char** argv)
{
    QApplication app(argc, argv);
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    HidSimControl::reset(kNoDevices);
    DialogMain::setTrayAvailabilityForTests([] { return true; });
    DialogMain window;
    window.show();
    window.SlotChangeSize(2);
    std::printf("in the tray\n");
    std::fflush(stdout);
    window.trayMenu()->actions().last()->trigger();
    std::printf("still running\n");
    return 3;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kExitProbeVariable))
        return runExitProbe(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_DialogMain tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_dialogmain.moc"
