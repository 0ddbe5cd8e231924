#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/SettingsStore.h"

#include "TestHome.h"
#include "UnreadableFile.h"

#include <QtTest>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

namespace {
QString b64(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

void writeFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

class tst_SettingsStores : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void configValue_data();
    void configValue();
    void configList_data();
    void configList();
    void colour_data();
    void colour();
    void missingConfigFile();

    void storeWritesThrough();
    void storeValuesSurviveReopen();
    void eachWriteReportsItsOwnResult_data();
    void eachWriteReportsItsOwnResult();
    void concurrentUse();

private:
    TestHome m_home;
    QTemporaryDir m_appDir;
};

void tst_SettingsStores::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_appDir.isValid());
    AppPaths::setApplicationDirOverride(m_appDir.path());
    const QString ini = QStringLiteral(
        "[Option]\n"
        "VID=%1\n"
        "DeviceTotal=5\n"
        "CID=%2\n"
        "USB_PID=%3, %4\n"
        "Wireless_PID=%5\n"
        "Wireless2_PID=%3, @@@, MHgw*MD!Az\n"
        "Wireless4_PID=\n"
        "InterfaceId=MTIz\n"
        "Transition=not base64!\n"
        "LabelColor=255, 128, 0\n"
        "ButtonColor=10,20,30,40\n"
        "SliderColor=1,2\n"
        "ComboxTextColor=red,green,blue\n"
        "LinEditColor=0,256,0\n"
        "[Drive1]\n"
        "MID=27\n"
        "Sensor=%6\n"
        "MM=%7\n"
        "DM=OE*st!UjE=\n"
        "DPIRange=100,26000,50\n"
        "KeyParam1=0x05,1,2\n"
        "KeyParam2=\n"
        "XIn1=\"a, b\"\n"
        "Name=\u9f20\u6807\n")
        .arg(b64("0x1A2B"), b64("5"), b64("0x0001"), b64("0x0002"), b64("0x00F1"),
             b64(" PAW 33\r\n95\n"), b64("M\u9f20-1"));
    writeFile(m_appDir.path() + "/usersetting/Config.ini", ini);
    QCOMPARE(AppPaths::configIniPath(), m_appDir.path() + "/usersetting/Config.ini");
    ConfigSettings::resetForTests();
    SettingsStore::resetForTests();
}

void tst_SettingsStores::cleanupTestCase()
{
    ConfigSettings::resetForTests();
    SettingsStore::resetForTests();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_SettingsStores::configValue_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Base64 vendor id") << "Option" << "VID" << "0x1A2B";
    QTest::newRow("Base64 customer id") << "Option" << "CID" << "5";
    QTest::newRow("plain integer") << "Option" << "DeviceTotal" << "5";
    QTest::newRow("plain key holding Base64-like text stays") << "Option" << "InterfaceId" << "MTIz";
    QTest::newRow("plain key with odd text stays") << "Option" << "Transition" << "not base64!";
    QTest::newRow("decoded spaces and line breaks removed") << "Drive1" << "Sensor" << "PAW3395";
    QTest::newRow("Base64 of UTF-8 text") << "Drive1" << "MM" << "M\u9f20-1";
    QTest::newRow("characters outside Base64 skipped") << "Drive1" << "DM" << "8K-R1";
    QTest::newRow("plain UTF-8 text") << "Drive1" << "Name" << "\u9f20\u6807";
    QTest::newRow("quoted text with comma") << "Drive1" << "XIn1" << "a, b";
    QTest::newRow("list read as text") << "Drive1" << "DPIRange" << "100,26000,50";
    QTest::newRow("missing key") << "Option" << "Nothing" << "";
    QTest::newRow("missing group") << "Drive9" << "MID" << "";
    QTest::newRow("keys are case-sensitive") << "option" << "VID" << "";
}

void tst_SettingsStores::configValue()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(ConfigSettings::instance()->value(group, key), expected);
}

void tst_SettingsStores::configList_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two Base64 ids") << "Option" << "USB_PID" << QStringList{"0x0001", "0x0002"};
    QTest::newRow("one Base64 id") << "Option" << "Wireless_PID" << QStringList{"0x00F1"};
    QTest::newRow("characters outside Base64 skipped item by item")
        << "Option" << "Wireless2_PID" << QStringList{"0x0001", "", "0x0003"};
    QTest::newRow("empty value") << "Option" << "Wireless4_PID" << QStringList{};
    QTest::newRow("missing") << "Option" << "Wireless8_PID" << QStringList{};
    QTest::newRow("plain list") << "Drive1" << "DPIRange" << QStringList{"100", "26000", "50"};
    QTest::newRow("plain list not decoded") << "Drive1" << "KeyParam1" << QStringList{"0x05", "1", "2"};
    QTest::newRow("empty plain list") << "Drive1" << "KeyParam2" << QStringList{};
    QTest::newRow("single plain value") << "Drive1" << "MID" << QStringList{"27"};
}

void tst_SettingsStores::configList()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QStringList, expected);
    QCOMPARE(ConfigSettings::instance()->valueList(group, key), expected);
}

void tst_SettingsStores::colour_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");
    QTest::newRow("three items") << "LabelColor" << true << "255,128,0";
    QTest::newRow("extra items ignored") << "ButtonColor" << true << "10,20,30";
    QTest::newRow("two items") << "SliderColor" << false << "";
    QTest::newRow("missing") << "LinEditColorSecond" << false << "";
    QTest::newRow("not numbers") << "ComboxTextColor" << false << "";
    QTest::newRow("out of range") << "LinEditColor" << false << "";
}

void tst_SettingsStores::colour()
{
    QFETCH(QString, key);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    QColor c(Qt::magenta);
    QString t = QStringLiteral("unchanged");
    QCOMPARE(ConfigSettings::instance()->colour(key, &c), ok);
    QCOMPARE(ConfigSettings::instance()->colourText(key, &t), ok);
    if (ok) {
        QCOMPARE(t, text);
        QCOMPARE(QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue()), text);
    } else {
        QCOMPARE(c, QColor(Qt::magenta));
        QCOMPARE(t, QStringLiteral("unchanged"));
    }
}

void tst_SettingsStores::missingConfigFile()
{
    QTemporaryDir empty;
    AppPaths::setApplicationDirOverride(empty.path());
    ConfigSettings::resetForTests();
    ConfigSettings* cfg = ConfigSettings::instance();
    QCOMPARE(cfg->filePath(), empty.path() + "/usersetting/Config.ini");
    QCOMPARE(cfg->value("Option", "VID"), QString());
    QCOMPARE(cfg->value("Option", "DeviceTotal").toInt(), 0);
    QVERIFY(cfg->valueList("Option", "USB_PID").isEmpty());
    QVERIFY(!cfg->colour("LabelColor", nullptr));
    // Reading must not create the catalogue.
    QVERIFY(!QFile::exists(cfg->filePath()));

    AppPaths::setApplicationDirOverride(m_appDir.path());
    ConfigSettings::resetForTests();
    QCOMPARE(ConfigSettings::instance()->value("Option", "VID"), QStringLiteral("0x1A2B"));
}

void tst_SettingsStores::storeWritesThrough()
{
    SettingsStore* store = SettingsStore::instance();
    QCOMPARE(store->filePath(), m_home.path() + "/AppData/Local/Orvex DeskLink/Macro.ini");
    QCOMPARE(store->value("Language", "Language"), QString());
    QCOMPARE(store->value("Language", "Language").toInt(), 0);

    QVERIFY(store->setValue("Language", "Language", "3"));
    const QByteArray onDisk = readFile(store->filePath());
    QVERIFY2(onDisk.contains("[Language]") && onDisk.contains("Language=3"), onDisk.constData());

    QVERIFY(store->remove("Language", "Language"));
    QVERIFY(!readFile(store->filePath()).contains("Language=3"));
    QCOMPARE(store->value("Language", "Language"), QString());
}

void tst_SettingsStores::storeValuesSurviveReopen()
{
    SettingsStore* store = SettingsStore::instance();
    QVERIFY(store->setValue("AutoStart", "Enable", "1"));
    QVERIFY(store->setValue("FindNew", "IsShow", "a, b \u9f20"));
    SettingsStore::resetForTests();
    store = SettingsStore::instance();
    QCOMPARE(store->value("AutoStart", "Enable"), QStringLiteral("1"));
    QCOMPARE(store->value("FindNew", "IsShow"), QStringLiteral("a, b \u9f20"));
}

void tst_SettingsStores::eachWriteReportsItsOwnResult_data()
{
    QTest::addColumn<bool>("unreadable");  // else a folder stands in the file's place
    QTest::addColumn<bool>("removing");
    QTest::newRow("value set after a failed write") << false << false;
    QTest::newRow("value removed after a failed write") << false << true;
    QTest::newRow("value set after a file that could not be read") << true << false;
    QTest::newRow("value removed after a file that could not be read") << true << true;
}

// A write that fails says so, and the next one, which succeeds, says that:
// one failure does not mark the store failed for good. The value that could
// not be stored is not written later behind the user's back either.
// A file that is there but could not be read stands for settings the store
// does not know: a write built on that empty read would replace every one of
// them, so it fails and leaves the file alone; once the file can be read, the
// next write keeps what it holds.
void tst_SettingsStores::eachWriteReportsItsOwnResult()
{
    QFETCH(bool, unreadable);
    QFETCH(bool, removing);
    SettingsStore::resetForTests();
    SettingsStore* store = SettingsStore::instance();
    QVERIFY(store->setValue("Language", "Language", "2"));
    QVERIFY(store->setValue("AutoStart", "Enable", "1"));

    const QString ini = store->filePath();
    const QByteArray before = readFile(ini);
    if (unreadable) {
        SettingsStore::resetForTests();
        UnreadableFile guard(ini);
        store = SettingsStore::instance();
        QCOMPARE(store->value("Language", "Language"), QString());
        QVERIFY(!store->setValue("Language", "Language", "5"));
        QVERIFY(!store->remove("AutoStart", "Enable"));
    } else {
        // A folder in the file's place: no write can succeed, not even as root.
        QVERIFY(QFile::remove(ini));
        QVERIFY(QDir().mkpath(ini + "/x"));
        QVERIFY(!store->setValue("Language", "Language", "5"));
        QVERIFY(QDir(ini).removeRecursively());
    }
    if (unreadable)
        QCOMPARE(readFile(ini), before);

    if (removing)
        QVERIFY(store->remove("AutoStart", "Enable"));
    else
        QVERIFY(store->setValue("AutoStart", "Enable", "0"));
    QCOMPARE(store->value("Language", "Language"), QStringLiteral("2"));
    const QByteArray onDisk = readFile(ini);
    QVERIFY2(onDisk.contains("Language=2"), onDisk.constData());
    QVERIFY2(onDisk.contains("Enable=0") == !removing && !onDisk.contains("Enable=1"), onDisk.constData());
    SettingsStore::resetForTests();
    QCOMPARE(SettingsStore::instance()->value("Language", "Language"), QStringLiteral("2"));
}

void tst_SettingsStores::concurrentUse()
{
    // Start from no instances so that creation itself races too.
    ConfigSettings::resetForTests();
    SettingsStore::resetForTests();
    const int threads = 6;
    const int rounds = 40;
    QVector<ConfigSettings*> configs(threads);
    QVector<SettingsStore*> stores(threads);
    std::atomic<int> wrong{0};
    QList<QThread*> workers;
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([&, t] {
            configs[t] = ConfigSettings::instance();
            stores[t] = SettingsStore::instance();
            for (int i = 0; i < rounds; ++i) {
                if (configs[t]->value("Option", "VID") != QLatin1String("0x1A2B"))
                    ++wrong;
                if (configs[t]->valueList("Option", "USB_PID").size() != 2)
                    ++wrong;
                const QString key = QStringLiteral("T%1").arg(t);
                stores[t]->setValue("Threads", key, QString::number(i));
                if (stores[t]->value("Threads", key) != QString::number(i))
                    ++wrong;
            }
        });
        workers.last()->start();
    }
    for (QThread* w : workers) {
        QVERIFY(w->wait(30000));
        delete w;
    }
    QCOMPARE(wrong.load(), 0);
    for (int t = 1; t < threads; ++t) {
        QCOMPARE(configs[t], configs[0]);
        QCOMPARE(stores[t], stores[0]);
    }
    SettingsStore::resetForTests();
    for (int t = 0; t < threads; ++t)
        QCOMPARE(SettingsStore::instance()->value("Threads", QStringLiteral("T%1").arg(t)),
                 QString::number(rounds - 1));
}

QTEST_GUILESS_MAIN(tst_SettingsStores)
#include "tst_settingsstores.moc"
