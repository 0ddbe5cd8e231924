#include "DeviceLinkFixture.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDateRepair.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QCheckBox>
#include <QRegularExpression>
#include <QTextEdit>
#include <QtTest>

#include <thread>

using hidsim::HidSimControl;

// The settings page's receiver sections against the simulated devices: which
// sections a connection shows, and what the light and long-range controls do
// to the receiver.
class tst_ReceiverSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sectionsFollowModelAndConnection_data();
    void sectionsFollowModelAndConnection();
    void writesReachTheReceiver_data();
    void writesReachTheReceiver();
    void emptyFormLeavesTheReceiverAlone();
    void longRangeShowsTheOpenedReceiver();

private:
    DeviceLinkFixture m_link;
};

// One model per connection the page tells apart; "Adveanced" is long range, light.
static const char kModels[] = R"(
[Drive1]
MID=7
Adveanced=-1,-1
[Drive2]
MID=8
Adveanced=1,-1
[Drive3]
MID=9
Adveanced=0,-1
[Drive4]
MID=11
Adveanced=0,2
[Drive5]
MID=12
Adveanced=1,-1
[Drive6]
MID=17
Adveanced=1,-1
)";

static const char kScenario[] = R"({"vendorId": "3A7C",
 "mice": [
  {"id": "m7",  "cid": 51, "mid": 7,  "usbPid": "0A01", "receiverKind": 0, "firmware": "v1.3", "cable": true,  "powered": true, "battery": 90, "pairedTo": ""},
  {"id": "m8",  "cid": 51, "mid": 8,  "usbPid": "0A01", "receiverKind": 1, "firmware": "v1.3", "cable": false, "powered": true, "battery": 90, "pairedTo": "r8"},
  {"id": "m9",  "cid": 51, "mid": 9,  "usbPid": "0A01", "receiverKind": 2, "firmware": "v1.3", "cable": false, "powered": true, "battery": 90, "pairedTo": "r9"},
  {"id": "m11", "cid": 51, "mid": 11, "usbPid": "0A01", "receiverKind": 4, "firmware": "v1.3", "cable": false, "powered": true, "battery": 90, "pairedTo": "r11"},
  {"id": "m12", "cid": 51, "mid": 12, "usbPid": "0A01", "receiverKind": 4, "firmware": "v1.3", "cable": false, "powered": true, "battery": 90, "pairedTo": "r12"},
  {"id": "m17", "cid": 51, "mid": 17, "usbPid": "0A02", "receiverKind": 8, "firmware": "v1.3", "cable": false, "powered": true, "battery": 90, "pairedTo": "r17"}
 ],
 "receivers": [
  {"id": "r8",  "kind": 1, "address": "1C0801", "firmware": "v1.5", "plugged": true},
  {"id": "r9",  "kind": 2, "address": "2C0902", "firmware": "v1.5", "plugged": true},
  {"id": "r11", "kind": 4, "address": "4C1104", "firmware": "v1.3", "plugged": true, "lightMode": 1},
  {"id": "r12", "kind": 4, "address": "4C1204", "firmware": "v1.3", "plugged": true, "lightMode": 1},
  {"id": "r17", "kind": 8, "address": "8C1708", "firmware": "v1.3", "plugged": true}
 ]})";

static QString catalogue()
{
    QString text = DeviceLinkFixture::fixtureCatalogue();
    text = text.left(text.indexOf("[Drive1]"));
    text.replace("DeviceTotal=4", "DeviceTotal=6");
    return text + QString::fromLatin1(kModels);
}

// The receiver's settings as "hidsimctl list" shows them.
static QString receiverSettings(const QString& id)
{
    for (const QString& line : HidSimControl::describe().split('\n')) {
        if (line.startsWith(id + ' ')) {
            const QRegularExpressionMatch m = QRegularExpression("(light \\d, )?long range (on|off)").match(line);
            return m.captured(0);
        }
    }
    return QString();
}

static bool shown(FormSetting& page, const char* name)
{
    QWidget* w = page.findChild<QWidget*>(name);
    return w && !w->isHidden();
}

void tst_ReceiverSettings::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_ReceiverSettings::init()
{
    QVERIFY(m_link.setUp(QByteArray(kScenario), catalogue()));
}

void tst_ReceiverSettings::cleanup()
{
    m_link.tearDown();
    delete g_UpDateRepairDialog;
    g_UpDateRepairDialog = nullptr;
}

void tst_ReceiverSettings::sectionsFollowModelAndConnection_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("mouse");
    QTest::addColumn<bool>("longRange");
    QTest::addColumn<bool>("light");

    QTest::newRow("wired") << "m7" << "m7" << false << false;
    QTest::newRow("1K receiver") << "r8" << "m8" << true << false;
    QTest::newRow("2K receiver") << "r9" << "m9" << true << false;
    QTest::newRow("4K receiver with a light") << "r11" << "m11" << true << true;
    QTest::newRow("4K receiver, model without light") << "r12" << "m12" << true << false;
    QTest::newRow("8K receiver") << "r17" << "m17" << true << false;
}

void tst_ReceiverSettings::sectionsFollowModelAndConnection()
{
    QFETCH(QString, listed);
    QFETCH(QString, mouse);
    QFETCH(bool, longRange);
    QFETCH(bool, light);

    FormSetting page;
    auto state = [&page] {
        QString text;
        for (const char* name : {"checkBox_2", "label_11", "ReUntil", "ReUntil_2", "ReUntil_3", "label_14", "textEdit_2"})
            text += shown(page, name) ? '1' : '0';
        return text + QString::number(page.findChild<QWidget*>("scrollAreaWidgetContents")->height());
    };
    const QString l = longRange ? "11" : "00";
    const QString expected = l + (light ? "11111780" : "00000630");
    // The page takes the image after the page recorder, which the fixture waits for.
    auto check = [&](const QString& when) {
        const bool reached = QTest::qWaitFor([&] { return state() == expected; }, 2000);
        QVERIFY2(reached, qPrintable(when + ": " + state()));
    };

    QVERIFY(m_link.openDevice(listed));
    check("after opening");

    // Reconnect: the receiver's own reports (light, long range) and the image
    // arrive again, in the order the link delivers them.
    const int forms = m_link.pages()->count("Form");
    if (listed == mouse) {
        // A mouse on its cable says "connected" as it restarts.
        QVERIFY(HidSimControl::injectReport(DeviceLinkFixture::header(9), QByteArray("\x02\0\0\0", 4)));
    } else {
        QVERIFY(HidSimControl::setPowered(mouse, false));
        QTest::qWait(50);
        QVERIFY(HidSimControl::setPowered(mouse, true));
    }
    QVERIFY(QTest::qWaitFor([&] { return m_link.pages()->count("Form") > forms; }, 5000));
    check("after a reconnect");
}

void tst_ReceiverSettings::writesReachTheReceiver_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("after");

    // The receiver starts with light 1 and long range off.
    QTest::newRow("light mode 2") << "ReUntil_2" << true << "light 2, long range off";
    QTest::newRow("light mode 3") << "ReUntil_3" << true << "light 3, long range off";
    QTest::newRow("long range on") << "checkBox_2" << true << "light 1, long range on";
    QTest::newRow("light offline") << "ReUntil_3" << false << "light 1, long range off";
    QTest::newRow("long range offline") << "checkBox_2" << false << "light 1, long range off";
}

void tst_ReceiverSettings::writesReachTheReceiver()
{
    QFETCH(QString, control);
    QFETCH(bool, online);
    QFETCH(QString, after);

    FormSetting page;
    QVERIFY(m_link.openDevice("r11"));
    g_UiReady = true;
    QTRY_VERIFY(page.findChild<QCheckBox*>("ReUntil")->isChecked());
    QCOMPARE(receiverSettings("r11"), QString("light 1, long range off"));
    if (!online) {
        QVERIFY(HidSimControl::setPowered("m11", false));
        QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath));
    }
    const int notices = m_link.pages()->count("MouseOffLineo");

    auto* box = page.findChild<QCheckBox*>(control);
    box->click();
    // The write is not answered; the receiver has it when the call returns.
    QCOMPARE(receiverSettings("r11"), after);
    // Offline, the box being unchecked reports too; the top window shows one notice.
    QCOMPARE(m_link.pages()->count("MouseOffLineo") > notices, !online);
    QVERIFY(box->isChecked());
}

void tst_ReceiverSettings::emptyFormLeavesTheReceiverAlone()
{
    FormSetting page;
    QVERIFY(m_link.openDevice("r11"));
    g_UiReady = true;
    QTRY_VERIFY(!page.findChild<QCheckBox*>("checkBox_2")->isHidden());
    page.findChild<QCheckBox*>("checkBox_2")->click();
    QCOMPARE(receiverSettings("r11"), QString("light 1, long range on"));

    // A device without data empties the page; the receiver keeps its mode.
    std::thread emitter([] { PostMsg::GetInstance()->PostFormReset(); });
    QTRY_VERIFY(!page.findChild<QCheckBox*>("checkBox_2")->isChecked());
    emitter.join();
    QVERIFY(page.findChild<QCheckBox*>("checkBox_2")->isHidden());
    QCOMPARE(receiverSettings("r11"), QString("light 1, long range on"));
}

// Each receiver shows its own long-range mode, off as well as on; what a
// receiver reports is shown, not written back to it.
void tst_ReceiverSettings::longRangeShowsTheOpenedReceiver()
{
    FormSetting page;
    g_UiReady = true;
    auto* box = page.findChild<QCheckBox*>("checkBox_2");
    QVERIFY(UsbFinderC_SetLongRangeMode(m_link.listEntry("r8").path.toLatin1().constData(), true));
    QCOMPARE(receiverSettings("r8"), QString("long range on"));
    DeviceLinkFixture::clearCalls();

    QVERIFY(m_link.openDevice("r8"));
    QTRY_VERIFY(box->isChecked());
    QVERIFY(m_link.openDevice("r9"));
    QVERIFY(!box->isHidden());
    QVERIFY(!box->isChecked());
    QCOMPARE(DeviceLinkFixture::callArguments("UsbFinderC_SetLongRangeMode"), QStringList());
    QCOMPARE(receiverSettings("r8"), QString("long range on"));
    QCOMPARE(receiverSettings("r9"), QString("long range off"));

    // The first click asks for what the box then shows.
    box->click();
    QVERIFY(box->isChecked());
    QCOMPARE(receiverSettings("r9"), QString("long range on"));
}

QTEST_MAIN(tst_ReceiverSettings)
#include "tst_receiversettings.moc"
