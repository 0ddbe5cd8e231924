// hidsimctl drives the virtual devices from a shell while a library (here the
// test itself) runs on the same simulator folder.
#include "HidSimTestKit.h"

#include <QProcess>
#include <QTemporaryDir>

using kit::HidSimControl;
using kit::Report;
using kit::Reports;

namespace {

std::atomic<int> g_changes{0};
void onChange()
{
    ++g_changes;
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run hidsimctl(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(DESKLINK_APP_DIR) + "/hidsimctl", args);
    Run r;
    if (!tool.waitForFinished(10000))
        return r;
    r.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    r.out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return r;
}

}  // namespace

class tst_HidSimCtl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void plugAndUnplug();
    void powerOffAndOn();
    void buttonPress();
    void dump();
    void failUpdateAndBootLoader();
    void profile();
    void errors_data();
    void errors();
    void brokenScenarioFile_data();
    void brokenScenarioFile();
    void newFolderStartsFromTheSample();
};

void tst_HidSimCtl::initTestCase()
{
    kit::useTemporaryFolderUnlessSet();
    QVERIFY2(QFile::exists(QStringLiteral(DESKLINK_APP_DIR) + "/hidsimctl"), "hidsimctl is built beside the program");
}

void tst_HidSimCtl::init()
{
    QString error;
    QVERIFY2(HidSimControl::reset(QByteArray(), &error), qPrintable(error));
    HidSimControl::setTimeScale(0.05);
    Reports::clear();
    g_changes = 0;
}

void tst_HidSimCtl::cleanup()
{
    StopUsbChanged();
    UsbServer_Exit();
}

void tst_HidSimCtl::plugAndUnplug()
{
    StartUsbChanged(onChange, 600);
    QVERIFY(kit::waitUntil([] { return g_changes == 1; }));

    QCOMPARE(hidsimctl({"unplug", "r8"}).exitCode, 0);
    QVERIFY(kit::waitUntil([] { return g_changes == 2; }, 3000));
    QVERIFY(HidSimControl::path("r8").isEmpty());

    QCOMPARE(hidsimctl({"plug", "r23"}).exitCode, 0);
    QVERIFY(kit::waitUntil([] { return g_changes == 3; }, 3000));
    const QByteArray r23 = HidSimControl::path("r23");
    QVERIFY(!r23.isEmpty());
    QVERIFY(UsbFinderC_GetDeviceOnLine(r23.constData()));
}

void tst_HidSimCtl::powerOffAndOn()
{
    const QByteArray path = kit::openLink("r17");
    QVERIFY(!UsbFinderC_GetDeviceOnLine(path.constData()));
    QCOMPARE(hidsimctl({"power", "m17", "on"}).exitCode, 0);
    QVERIFY(Reports::waitFor(9));  // the link sees the mouse come back
    QVERIFY(UsbFinderC_GetDeviceOnLine(path.constData()));
    QCOMPARE(hidsimctl({"power", "m17", "off"}).exitCode, 0);
    QVERIFY(kit::waitUntil([&path] { return !UsbFinderC_GetDeviceOnLine(path.constData()); }, 3000));
}

void tst_HidSimCtl::buttonPress()
{
    kit::openLink("r8");
    QCOMPARE(hidsimctl({"press", "m8", "rate"}).exitCode, 0);
    Report r;
    QVERIFY(Reports::waitFor(10, &r, -1, -1, 3000));
    QCOMPARE(r.data, QByteArray(1, 0x02));
    Reports::clear();
    QCOMPARE(hidsimctl({"press", "m8", "light"}).exitCode, 0);
    QVERIFY(Reports::waitFor(10, &r, -1, -1, 3000));
    QCOMPARE(r.data, QByteArray(1, 0x20));
    QCOMPARE(hidsimctl({"battery", "m8", "20", "charging"}).exitCode, 0);
    QVERIFY(kit::waitUntil([] { return Reports::count(10) == 2; }, 3000));
    QCOMPARE(hidsimctl({"press", "m8", "wheel"}).exitCode, 1);
}

void tst_HidSimCtl::dump()
{
    kit::openLink("m7");
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.buttons[3] = ButtonMapping{4, 20, 2};
    QVERIFY(ProtocolDataUpdate(&image));
    QVERIFY(kit::readImage(&image));

    Run one = hidsimctl({"dump", "m7", "83", "3"});
    QCOMPARE(one.exitCode, 0);
    QCOMPARE(one.out, QString("04 14 02\n"));
    QCOMPARE(hidsimctl({"dump", "m7", "0x53"}).out, QString("04\n"));

    const Run all = hidsimctl({"dump", "m7"});
    QCOMPARE(all.exitCode, 0);
    const QStringList lines = all.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), (10428 + 15) / 16);
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += QByteArray::fromHex(line.section(':', 1).toLatin1());
    QCOMPARE(bytes, kit::bytesOf(image));
    QVERIFY(lines[5].startsWith("00080: "));
}

static std::atomic<int> g_endResult{-1};
static void onUpgrade(unsigned char* m)
{
    if (m[0] == 7 && m[1] == 2)
        g_endResult = m[2];
}

void tst_HidSimCtl::failUpdateAndBootLoader()
{
    const QByteArray image = kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 5);
    const auto* data = reinterpret_cast<const unsigned char*>(image.constData());

    // Kept in the folder, so a program running on it sees the fault.
    QCOMPARE(hidsimctl({"fail-update", "40"}).exitCode, 0);
    QVERIFY(HidSimControl::scenario().contains("\"failUpdateAt\": 40"));
    QVERIFY(UsbUpgrade_Start(data, onUpgrade, 10000));
    QVERIFY(kit::waitUntil([] { return g_endResult >= 0; }, 5000));
    QCOMPARE(g_endResult.load(), 0);
    QVERIFY(!HidSimControl::scenario().contains("failUpdateAt"));  // one transfer only
    QVERIFY(hidsimctl({"list"}).out.contains(QRegularExpression("\\nm7 .* boot-loader ")));

    QCOMPARE(hidsimctl({"bootloader", "m7", "off"}).exitCode, 0);
    QVERIFY(kit::waitUntil([data] {
        int count = 5;
        return UsbUpgradeC_FindBootDevices(data, &count) == 0;
    }, 3000));
    QVERIFY(!HidSimControl::path("m7").isEmpty());
    QCOMPARE(hidsimctl({"bootloader", "r11", "on"}).exitCode, 0);
    QVERIFY(kit::waitUntil([] { return HidSimControl::path("r11").isEmpty(); }, 3000));
    QVERIFY(hidsimctl({"list"}).out.contains(QRegularExpression("\\nr11 .* boot-loader ")));
    QCOMPARE(hidsimctl({"fail-update", "off"}).exitCode, 0);
}

void tst_HidSimCtl::profile()
{
    kit::openLink("r8");
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.debounceTime = 7;
    QVERIFY(ProtocolDataUpdate(&image));  // profile 0 only
    QCOMPARE(hidsimctl({"profile", "m8"}).out, QString("0\n"));

    // A switch at the mouse tells the link the new profile and asks for a refresh.
    Reports::clear();
    QCOMPARE(hidsimctl({"profile", "m8", "2"}).exitCode, 0);
    Report r;
    QVERIFY(Reports::waitFor(14, &r, -1, -1, 3000));
    QCOMPARE(r.data, QByteArray(1, 2));
    QVERIFY(Reports::waitFor(10, &r, -1, -1, 3000));
    QCOMPARE(r.data, QByteArray(1, 0x04));
    QCOMPARE(hidsimctl({"profile", "m8"}).out, QString("2\n"));
    QVERIFY(kit::readImage(&image));
    QVERIFY(image.debounceTime != 7);

    // A switch asked over the link shows in the tool.
    UsbServer_SetCurrentConfig(0);
    QVERIFY(kit::waitUntil([] { return HidSimControl::currentProfile("m8") == 0; }, 3000));
    QCOMPARE(hidsimctl({"profile", "m8"}).out, QString("0\n"));
    QVERIFY(kit::readImage(&image));
    QCOMPARE(int(image.debounceTime), 7);
}

void tst_HidSimCtl::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown device") << QStringList{"plug", "nothing"} << 2 << "no device \"nothing\"";
    QTest::newRow("power without state") << QStringList{"power", "m7"} << 1 << "usage:";
    QTest::newRow("battery above 100") << QStringList{"battery", "m8", "101"} << 2 << "0..100";
    QTest::newRow("dump past the image") << QStringList{"dump", "m8", "10428"} << 2 << "10428 bytes";
    QTest::newRow("pair a wired model") << QStringList{"pair", "m7"} << 2 << "wired model";
    QTest::newRow("profile past the last") << QStringList{"profile", "m8", "4"} << 2 << "profiles 0..3";
    QTest::newRow("profile of a switched-off mouse") << QStringList{"profile", "m17", "1"} << 2 << "switched off";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 1 << "unknown command";
    QTest::newRow("fail-update above 100") << QStringList{"fail-update", "101"} << 1 << "0..100";
    QTest::newRow("boot loader of nothing") << QStringList{"bootloader", "nothing", "on"} << 2 << "no device";
    QTest::newRow("unplug a mouse that is not on its cable") << QStringList{"unplug", "m8"} << 2 << "not on its cable";
    QTest::newRow("unplug a receiver that is not plugged in") << QStringList{"unplug", "r23"} << 2 << "not plugged in";
}

void tst_HidSimCtl::errors()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QByteArray before = HidSimControl::scenario();
    const Run r = hidsimctl(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(HidSimControl::scenario(), before);
}

// A scenario file that does not read (a hand edit gone wrong): every command
// says so and fails, and none writes over the file.
void tst_HidSimCtl::brokenScenarioFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("broken");
    const QByteArray cut = "{ \"mice\": [ {\"id\": \"m8\", ";
    QTest::newRow("list") << QStringList{"list"} << cut;
    QTest::newRow("unplug") << QStringList{"unplug", "r8"} << cut;
    QTest::newRow("power") << QStringList{"power", "m8", "off"} << cut;
    QTest::newRow("dump") << QStringList{"dump", "m8"} << cut;
    // A number no int can hold, where a whole number is expected.
    QTest::newRow("huge battery") << QStringList{"list"}
                                  << QByteArray("{ \"mice\": [ {\"id\": \"m8\", \"battery\": 4e44 } ] }");
}

void tst_HidSimCtl::brokenScenarioFile()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, broken);
    QTemporaryDir dir;
    QVERIFY(hidsimctl({"--dir", dir.path(), "list"}).exitCode == 0);  // the folder from the sample
    const QString file = dir.path() + "/scenario.json";
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(broken);
    f.close();

    const Run r = hidsimctl(QStringList{"--dir", dir.path()} + args);
    QVERIFY2(r.exitCode > 0, qPrintable(r.out));
    QVERIFY2(r.err.contains("hidsimctl: ") && r.err.contains("scenario.json"), qPrintable(r.err));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), broken);
}

void tst_HidSimCtl::newFolderStartsFromTheSample()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/fresh";
    const Run r = hidsimctl({"--dir", folder, "list"});
    QCOMPARE(r.exitCode, 0);
    for (const char* id : {"m7", "m8", "m9", "m11", "m17", "r8", "r9", "r11", "r17"})
        QVERIFY2(r.out.contains(QRegularExpression(QString("\\n%1 ").arg(id))), id);
    QVERIFY(r.out.contains(QRegularExpression("\\nr17 .* offline ")));
    QVERIFY(QFile::exists(folder + "/scenario.json"));
}

QTEST_GUILESS_MAIN(tst_HidSimCtl)
#include "tst_hidsimctl.moc"
