#include "DeviceLinkFixture.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDateRepair.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMutexLocker>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>

// The settings page as far as the device list and the device link use it:
// the firmware question for the current model, the version display and the
// language choice.
class tst_FormSetting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void constructionCreatesTheRepairDialog();
    void hasNewerFirmware_data();
    void hasNewerFirmware();
    void versionDisplay();
    void receiverHint();
    void languageChoice();

private:
    void writeImage(quint8 type, const QByteArray& name, quint32 version);
    void setCurrent(const DeviceAllInfo& device);

    DeviceLinkFixture m_link;
};

static QString catalogue()
{
    QFile file(QStringLiteral(DESKLINK_TEST_DATA_DIR) + "/home/Config.ini");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void tst_FormSetting::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_FormSetting::init()
{
    QDir(m_link.appDir() + "/bin").removeRecursively();
    QVERIFY(m_link.setUp(QByteArray("{\"vendorId\":\"3A7C\",\"mice\":[],\"receivers\":[]}"), catalogue()));
}

void tst_FormSetting::cleanup()
{
    delete g_UpDateRepairDialog;
    g_UpDateRepairDialog = nullptr;
    m_link.tearDown();
    g_LanguageIndex = 0;
}

void tst_FormSetting::writeImage(quint8 type, const QByteArray& name, quint32 version)
{
    QVERIFY(QDir().mkpath(m_link.appDir() + "/bin"));
    QByteArray bytes(728, '\0');
    qToLittleEndian<quint32>(version, reinterpret_cast<uchar*>(bytes.data()) + 0x10);
    bytes[0x14] = char(type);
    bytes[0x15] = char(51);
    bytes[0x16] = char(8);
    bytes.replace(0x57, name.size(), name);
    QFile f(m_link.appDir() + "/bin/" + name + ".bin");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_FormSetting::setCurrent(const DeviceAllInfo& device)
{
    QMutexLocker lock(&g_CurrentDeviceMutex);
    g_CurrentDevice = device;
}

// The current device is model 8 (catalogue group 2: "ORX-M8", 1K "ORX-R1K", 4K "ORX-R4K").
static DeviceAllInfo model8(quint8 connectionType, const QString& receiverVersion, const QString& mouseVersion)
{
    DeviceAllInfo d;
    d.path = "model8";
    d.cid = 51;
    d.mid = 8;
    d.modelIndex = 1;
    d.connectionType = connectionType;
    d.direct = DeviceAllInfo::isDirectConnection(connectionType);
    d.online = 1;
    d.receiverVersion = receiverVersion;
    d.firmwareVersion = mouseVersion;
    return d;
}

void tst_FormSetting::constructionCreatesTheRepairDialog()
{
    QVERIFY(!g_UpDateRepairDialog);
    FormSetting page;
    QVERIFY(g_UpDateRepairDialog);
    QVERIFY(!g_UpDateRepairDialog->isVisible());
    QCOMPARE(page.size(), QSize(880, 630));
}

void tst_FormSetting::hasNewerFirmware_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("newer");

    // Images in bin: mouse "ORX-M8" v1.4, receivers "ORX-R1K" v1.4 and "ORX-R4K" v1.3.
    QTest::newRow("mouse of an older version") << 210 << "v1.3" << 0 << true;
    QTest::newRow("mouse already at the image's version") << 210 << "v1.4" << 0 << false;
    QTest::newRow("mouse version unknown") << 210 << "" << 0 << false;
    QTest::newRow("1K receiver") << 211 << "v1.3" << 1 << true;
    QTest::newRow("4K receiver at the image's version") << 211 << "v1.3" << 4 << false;
    QTest::newRow("4K receiver of another version") << 211 << "v1.5" << 4 << true;
    QTest::newRow("2K receiver: the model names none") << 211 << "v1.3" << 2 << false;
    QTest::newRow("no receiver kind") << 211 << "v1.3" << 0 << false;
    QTest::newRow("kind outside 1, 2, 4, 8") << 211 << "v1.3" << 3 << false;
}

void tst_FormSetting::hasNewerFirmware()
{
    QFETCH(int, type);
    QFETCH(QString, version);
    QFETCH(int, kind);
    QFETCH(bool, newer);

    writeImage(210, "ORX-M8", 0x0104);
    writeImage(211, "ORX-R1K", 0x0104);
    writeImage(211, "ORX-R4K", 0x0103);
    setCurrent(model8(0, "v1.3", "v1.3"));
    QCOMPARE(FormSetting::HasNewerFirmware(type, version, kind), newer);
}

void tst_FormSetting::versionDisplay()
{
    writeImage(210, "ORX-M8", 0x0104);
    FormSetting page;
    // The page takes its texts from the start-up broadcast.
    PostMsg::GetInstance()->PostAllLanguage(0);
    auto* receiverLabel = page.findChild<QLabel*>("label_5");
    auto* mouseLabel = page.findChild<QLabel*>("label_7");
    auto* update = page.findChild<QPushButton*>("Receive_2");

    // A 4K receiver with its mouse: both versions, and the newer mouse image.
    setCurrent(model8(1, "v1.3", "v1.3"));
    PostMsg::GetInstance()->PostSetver(0);
    QCOMPARE(receiverLabel->text(), QString("v1.3"));
    QCOMPARE(mouseLabel->text(), QString("v1.3"));
    QVERIFY(g_MouseUpdateRequested);
    QVERIFY(!g_DongleUpdateRequested);
    QVERIFY(update->styleSheet().contains("WaitUpdate.png"));

    // Opening another device clears both.
    PostMsg::GetInstance()->PostSetver(6);
    QCOMPARE(receiverLabel->text(), QString());
    QCOMPARE(mouseLabel->text(), QString());

    // Offline: only the stored receiver version.
    DeviceAllInfo offline = model8(1, "v1.2", "v1.4");
    offline.online = 0;
    setCurrent(offline);
    PostMsg::GetInstance()->PostSetver(5);
    QCOMPARE(receiverLabel->text(), QString("v1.2"));
    QCOMPARE(mouseLabel->text(), QString());
    QCOMPARE(update->text(), LanguageTables::text(LanguageSection::FormSetting, 0, 7));
}

void tst_FormSetting::receiverHint()
{
    FormSetting page;
    auto* update = page.findChild<QPushButton*>("Receive_2");
    PostMsg::GetInstance()->PostLabelTextB("v1.5", "true");
    QCOMPARE(page.findChild<QLabel*>("label_5")->text(), QString("v1.5"));
    QVERIFY(update->styleSheet().contains("WaitUpdate.png"));
    PostMsg::GetInstance()->PostLabelTextB("v1.6", "");
    QCOMPARE(page.findChild<QLabel*>("label_5")->text(), QString("v1.6"));
    QVERIFY(update->styleSheet().contains("Confirm.png"));
    QVERIFY(!update->styleSheet().contains("WaitUpdate.png"));
}

void tst_FormSetting::languageChoice()
{
    FormSetting page;
    PostMsg::GetInstance()->PostAllLanguage(0);
    auto* combo = page.findChild<QComboBox*>("comboBox");
    QCOMPARE(combo->count(), 10);
    QCOMPARE(page.findChild<QLabel*>("label_2")->text(), LanguageTables::text(LanguageSection::FormSetting, 0, 1));

    QStringList order;
    auto* bus = PostMsg::GetInstance();
    auto a = connect(bus, &PostMsg::SigAllLanguage, this, [&](int l) { order << QStringLiteral("AllLanguage(%1)").arg(l); });
    auto b = connect(bus, &PostMsg::SigLanguageSameA, this,
                     [&](int l) { order << QStringLiteral("LanguageSameA(%1)").arg(l); });
    auto c = connect(bus, &PostMsg::SigLanguageSameB, this,
                     [&](int l) { order << QStringLiteral("LanguageSameB(%1)").arg(l); });
    emit combo->activated(3);
    QCOMPARE(order, (QStringList{"AllLanguage(3)", "LanguageSameA(3)"}));
    QCOMPARE(SettingsStore::instance()->value("Language", "Language"), QString("3"));
    QCOMPARE(g_LanguageIndex, 3);
    QCOMPARE(page.findChild<QLabel*>("label_2")->text(), LanguageTables::text(LanguageSection::FormSetting, 3, 1));
    QCOMPARE(g_UpdateWarningText, LanguageTables::text(LanguageSection::FormSetting, 3, 14));

    // The device list's choice moves the box and nothing else.
    order.clear();
    bus->PostLanguageSameB(6);
    QCOMPARE(combo->currentIndex(), 6);
    QCOMPARE(order, QStringList{"LanguageSameB(6)"});
    QCOMPARE(SettingsStore::instance()->value("Language", "Language"), QString("3"));
    disconnect(a);
    disconnect(b);
    disconnect(c);
}

QTEST_MAIN(tst_FormSetting)
#include "tst_formsetting.moc"
