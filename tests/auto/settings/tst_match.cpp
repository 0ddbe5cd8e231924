#include "DeviceLinkFixture.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "device/Worker.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/Match.h"
#include "ui/settings/UpDateRepair.h"
#include "ModalDialogDriver.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <thread>

#include <QLabel>
#include <QMutexLocker>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

// The pairing dialog as the device list, the settings page and the top window
// open it: which device it pairs, whether that one can be paired, its texts and
// its close button.
class tst_Match : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void target_data();
    void target();
    void closeHandsTheDeviceChangesBackToTheList();
    void texts();
    void pairing_data();
    void pairing();
    void reportsWithoutAResultChangeNothing();
    void escape();
    void settingsPageGetsTheDeviceChangesBack();

private:
    // Opens the receiver r11 (4K, its mouse m11) as a device page does.
    void openReceiver();
    DeviceLinkFixture m_link;
};

static DeviceAllInfo device(const QString& path, quint8 direct)
{
    DeviceAllInfo d;
    d.path = path;
    d.vid = "3A7C";
    d.pid = direct ? "0A01" : "1A01";
    d.direct = direct;
    d.connectionType = direct ? 2 : 0;
    return d;
}

void tst_Match::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_Match::init()
{
    QVERIFY(m_link.setUp());
}

void tst_Match::cleanup()
{
    m_link.tearDown();
    g_LinkEnabled = 0;
    g_MatchMode = 0;
    g_LanguageIndex = 0;
}

void tst_Match::target_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("wired");

    // current: a receiver; selected: a receiver; first listed: a mouse on its cable.
    QTest::newRow("a linked device page pairs the current device") << 1 << 1 << "current" << false;
    QTest::newRow("the device list's pairing check pairs its entry") << 0 << 1 << "selected" << false;
    QTest::newRow("otherwise the first listed device") << 0 << 0 << "first" << true;
}

void tst_Match::target()
{
    QFETCH(int, link);
    QFETCH(int, mode);
    QFETCH(QString, target);
    QFETCH(bool, wired);

    {
        QMutexLocker lock(&g_CurrentDeviceMutex);
        g_CurrentDevice = device("current", 0);
    }
    g_SelectedDevice = device("selected", 0);
    g_DeviceList = {device("first", 1), device("second", 0)};
    g_LinkEnabled = link;
    g_MatchMode = quint8(mode);

    Match match;
    match.ResetPairPage();
    QCOMPARE(match.targetPath(), target);
    QCOMPARE(match.targetWired(), wired);

    // A wired target cannot be paired: the notice replaces the instructions.
    auto* button = match.findChild<QToolButton*>("MatchButton");
    QCOMPARE(match.findChild<QLabel*>("label")->isHidden(), !wired);
    QCOMPARE(match.findChild<QTextEdit*>("textEdit")->isHidden(), wired);
    QCOMPARE(button->isEnabled(), !wired);
    QCOMPARE(button->styleSheet().contains("rgb(0,0,0)"), wired);
    QCOMPARE(button->shortcut(), QKeySequence(Qt::Key_Space));
}

void tst_Match::closeHandsTheDeviceChangesBackToTheList()
{
    g_DeviceList = {device("first", 0)};
    Match match;
    match.ResetPairPage();
    match.show();
    m_link.clearCalls();
    QTest::mouseClick(match.findChild<QToolButton*>("CloseButton"), Qt::LeftButton);
    QVERIFY(!match.isVisible());
    QCOMPARE(m_link.callArguments("StartUsbChanged"), QStringList{"600"});
}

void tst_Match::texts()
{
    g_LanguageIndex = 4;
    g_DeviceList = {device("first", 0)};
    Match match;
    match.ResetPairPage();
    QCOMPARE(match.findChild<QToolButton*>("MatchButton")->text(), LanguageTables::text(LanguageSection::Match, 4, 2));
    QCOMPARE(match.findChild<QLabel*>("label")->text(), LanguageTables::text(LanguageSection::Match, 4, 0));
    QCOMPARE(match.findChild<QTextEdit*>("textEdit")->toPlainText(), LanguageTables::text(LanguageSection::Match, 4, 1));
    QCOMPARE(match.size(), QSize(458, 242));

    PostMsg::GetInstance()->PostAllLanguage(1);
    QCOMPARE(match.findChild<QToolButton*>("MatchButton")->text(), LanguageTables::text(LanguageSection::Match, 1, 2));
    QCOMPARE(match.findChild<QToolButton*>("MatchButton")->shortcut(), QKeySequence(Qt::Key_Space));
}

using hidsim::HidSimControl;

void tst_Match::openReceiver()
{
    const DeviceAllInfo entry = m_link.listEntry("r11");
    QVERIFY(!entry.path.isEmpty());
    {
        QMutexLocker lock(&g_CurrentDeviceMutex);
        g_CurrentDevice = entry;
    }
    setDevicePath(entry.path);
    g_LinkEnabled = 1;
}

static QToolButton* matchButton(Match& match)
{
    return match.findChild<QToolButton*>("MatchButton");
}

void tst_Match::pairing_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("status");

    QTest::newRow("the mouse enters pairing") << "pair" << 2;
    QTest::newRow("the receiver is unplugged") << "unplug" << 3;
    QTest::newRow("no answer") << "silence" << 3;
}

void tst_Match::pairing()
{
    QFETCH(QString, event);
    QFETCH(int, status);

    openReceiver();
    Match match;
    match.ResetPairPage();
    match.show();
    QVERIFY(QTest::qWaitForWindowExposed(&match));
    QCOMPARE(match.targetPath(), currentDeviceCopy().path);

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(matchButton(match), Qt::LeftButton);
    QCOMPARE(Match::pairStatus(), 1);
    QVERIFY(Match::pairingRunning());
    // The dialog owns the link meanwhile: the device thread keeps off it.
    QCOMPARE(g_LinkEnabled.load(), 0);
    QCOMPARE(matchButton(match)->text(), LanguageTables::text(LanguageSection::Match, 0, 3));
    // Closing is refused while pairing runs.
    QTest::mouseClick(match.findChild<QToolButton*>("CloseButton"), Qt::LeftButton);
    QVERIFY(match.isVisible());

    if (event == "pair")
        QVERIFY(HidSimControl::pair("m11"));
    else if (event == "unplug")
        QVERIFY(HidSimControl::unplug("r11"));
    else
        UsbServer_Exit();  // the receiver's answers never arrive
    QVERIFY(QTest::qWaitFor([] { return !Match::pairingRunning(); }, 10000));
    QTRY_COMPARE(Match::pairStatus(), status);

    const QString resultText = LanguageTables::text(LanguageSection::Match, 0, status == 2 ? 5 : 4);
    QTRY_COMPARE(matchButton(match)->text(), resultText);
    QCOMPARE(matchButton(match)->property("look").toString(), QString(status == 2 ? "PairSuccess.png" : "PairFail.png"));
    if (event == "silence")
        QVERIFY(clock.elapsed() >= Timing::scaled(Match::kPairTimeLimitMs) * 9 / 10);  // coarse timers
    if (event == "pair") {
        QVERIFY(HidSimControl::describe().contains(QRegularExpression("\\nm11 .*via r11")));
        // A paired dialog does not start again.
        QTest::qWait(Timing::scaled(300));
        QTest::mouseClick(matchButton(match), Qt::LeftButton);
        QCOMPARE(Match::pairStatus(), 2);
    }

    // The dots stopped with the result.
    QTest::qWait(Timing::scaled(1200));
    QCOMPARE(matchButton(match)->text(), resultText);

    m_link.clearCalls();
    QTest::mouseClick(match.findChild<QToolButton*>("CloseButton"), Qt::LeftButton);
    QVERIFY(!match.isVisible());
    QCOMPARE(m_link.callArguments("StartUsbChanged"), QStringList{"600"});
    // Every close gives the device thread its link back.
    QCOMPARE(g_LinkEnabled.load(), 1);
}

void tst_Match::reportsWithoutAResultChangeNothing()
{
    openReceiver();
    Match match;
    match.ResetPairPage();
    QTest::mouseClick(matchButton(match), Qt::LeftButton);
    UsbServer_Exit();

    auto deliver = [](int type, int answer) {
        unsigned char header[5] = {0xA5, uchar(type), 0, 0, 0};
        unsigned char data[64] = {uchar(answer)};
        std::thread t([&] { Match::OnPairReport(header, 5, data, 1); });
        t.join();
        QCoreApplication::processEvents();
    };
    deliver(6, 1);  // still pairing
    deliver(6, 0);
    deliver(14, 3);  // another report type
    QVERIFY(Match::pairingRunning());
    QCOMPARE(Match::pairStatus(), 1);

    deliver(6, 2);
    QVERIFY(!Match::pairingRunning());
    QTRY_COMPARE(matchButton(match)->text(), LanguageTables::text(LanguageSection::Match, 0, 4));
    QCOMPARE(g_LinkEnabled.load(), 1);

    // A late answer of the ended pairing changes nothing.
    deliver(6, 3);
    QCOMPARE(Match::pairStatus(), 3);

    // After a failure the user may start again.
    QTest::mouseClick(matchButton(match), Qt::LeftButton);
    QVERIFY(Match::pairingRunning());
    deliver(6, 3);
    QCOMPARE(Match::pairStatus(), 2);
}

void tst_Match::escape()
{
    openReceiver();
    Match match;
    match.ResetPairPage();
    match.show();
    QVERIFY(QTest::qWaitForWindowExposed(&match));
    QTest::mouseClick(matchButton(match), Qt::LeftButton);
    UsbServer_Exit();

    QTest::keyClick(&match, Qt::Key_Escape);
    QVERIFY(match.isVisible());

    unsigned char header[5] = {0xA5, 6, 0, 0, 0};
    unsigned char data[64] = {2};
    std::thread t([&] { Match::OnPairReport(header, 5, data, 1); });
    t.join();
    QTRY_VERIFY(!Match::pairingRunning());

    m_link.clearCalls();
    QTest::keyClick(&match, Qt::Key_Escape);
    QVERIFY(!match.isVisible());
    QCOMPARE(m_link.callArguments("StartUsbChanged"), QStringList{"600"});
}

// Pairing from the settings page of an open receiver; afterwards unplugging
// the receiver still takes the program back to the device list.
void tst_Match::settingsPageGetsTheDeviceChangesBack()
{
    FormSetting page;
    QVERIFY(m_link.openDevice("r11"));
    g_UiReady = true;

    ModalDialogDriver driver;
    driver.expect("Match", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    QTest::mouseClick(page.findChild<QPushButton*>("pushButton_2"), Qt::LeftButton);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));

    const int returns = m_link.pages()->count("ChangeMainDialog");
    QVERIFY(HidSimControl::unplug("r11"));
    QVERIFY(QTest::qWaitFor([&] { return m_link.pages()->count("ChangeMainDialog") > returns; }, 5000));
    delete g_UpDateRepairDialog;
    g_UpDateRepairDialog = nullptr;
}

QTEST_MAIN(tst_Match)
#include "tst_match.moc"
