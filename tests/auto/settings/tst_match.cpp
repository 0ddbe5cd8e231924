#include "DeviceLinkFixture.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "ui/settings/Match.h"

#include <HidSimControl.h>

#include <QLabel>
#include <QMutexLocker>
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

private:
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

QTEST_MAIN(tst_Match)
#include "tst_match.moc"
