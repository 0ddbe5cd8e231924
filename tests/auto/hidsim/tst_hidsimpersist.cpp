// The simulator folder: what the virtual devices hold survives the process, is
// written so that it is never torn, and changes made from outside reach a
// running library.
#include "HidSimTestKit.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using kit::HidSimControl;
using kit::Reports;

namespace {

std::atomic<int> g_changes{0};
void onChange()
{
    ++g_changes;
}

QString scenarioFile()
{
    return HidSimControl::directory() + "/scenario.json";
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), qint64(data.size()));
}

// What a new process sees in the folder: the command-line tool's dump.
QByteArray dumpByAnotherProcess(const QString& mouse, int offset, int length)
{
    QProcess tool;
    tool.start(QStringLiteral(DESKLINK_APP_DIR) + "/hidsimctl",
               {"dump", mouse, QString::number(offset), QString::number(length)});
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
        return QByteArray();
    return QByteArray::fromHex(tool.readAllStandardOutput().trimmed());
}

}  // namespace

class tst_HidSimPersist : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void writtenImageOutlivesTheProcess();
    void deviceStateOutlivesTheProcess();
    void editedScenarioReachesRunningLibrary();
    void malformedScenarioKeepsTheDevices();
    void unreadableFlashStartsFromFactory();
    void folderFollowsTheHome_data();
    void folderFollowsTheHome();
};

void tst_HidSimPersist::initTestCase()
{
    kit::useTemporaryFolderUnlessSet();
}

void tst_HidSimPersist::init()
{
    QString error;
    QVERIFY2(HidSimControl::reset(QByteArray(), &error), qPrintable(error));
    HidSimControl::setTimeScale(0);
    Reports::clear();
    g_changes = 0;
}

void tst_HidSimPersist::cleanup()
{
    StopUsbChanged();
    UsbServer_Exit();
}

void tst_HidSimPersist::writtenImageOutlivesTheProcess()
{
    kit::openLink("m7");
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.buttons[3] = ButtonMapping{4, 20, 2};
    image.macros[2].nameLength = 1;
    image.macros[2].name[0] = 'M';
    QVERIFY(ProtocolDataUpdate(&image));
    QVERIFY(kit::readImage(&image));  // behind the write on the link

    QCOMPARE(dumpByAnotherProcess("m7", 74 + 9, 3), QByteArray::fromHex("041402"));
    QCOMPARE(dumpByAnotherProcess("m7", 956 + 2 * 592, 2), QByteArray("\x01M"));

    // Written whole: one file of the full size, nothing half-written beside it.
    const QDir flash(HidSimControl::directory() + "/flash");
    QCOMPARE(flash.entryList(QDir::Files | QDir::Hidden), QStringList("m7.bin"));
    QCOMPARE(QFileInfo(flash.filePath("m7.bin")).size(), qint64(8 + 4 * 6912));
}

void tst_HidSimPersist::deviceStateOutlivesTheProcess()
{
    QVERIFY(HidSimControl::unplug("r8"));
    QVERIFY(HidSimControl::setPowered("m17", true));
    QVERIFY(HidSimControl::setBattery("m9", 12, true));
    const QByteArray before = HidSimControl::scenario();

    HidSimControl::reload();  // as a new start would read the folder
    QCOMPARE(HidSimControl::scenario(), before);
    QVERIFY(HidSimControl::path("r8").isEmpty());
    QVERIFY(UsbFinderC_GetDeviceOnLine(HidSimControl::path("r17").constData()));

    QProcess tool;
    tool.start(QStringLiteral(DESKLINK_APP_DIR) + "/hidsimctl", {"list"});
    QVERIFY(tool.waitForFinished(10000));
    const QString list = QString::fromLocal8Bit(tool.readAllStandardOutput());
    QVERIFY2(list.contains(QRegularExpression("\\nr8 .* unplugged ")), qPrintable(list));
    QVERIFY2(list.contains(QRegularExpression("\\nm9 .* 12% charging")), qPrintable(list));
}

void tst_HidSimPersist::editedScenarioReachesRunningLibrary()
{
    StartUsbChanged(onChange, 600);
    QVERIFY(kit::waitUntil([] { return g_changes == 1; }));
    QByteArray json = HidSimControl::scenario();
    const int at = json.indexOf("\"id\": \"r9\"");
    QVERIFY(at > 0);
    const int plugged = json.indexOf("\"plugged\": true", at);
    json.replace(plugged, int(strlen("\"plugged\": true")), "\"plugged\": false");
    writeFile(scenarioFile(), json);  // by hand, in place

    QVERIFY(kit::waitUntil([] { return g_changes == 2; }, 3000));
    QVERIFY(HidSimControl::path("r9").isEmpty());
}

void tst_HidSimPersist::malformedScenarioKeepsTheDevices()
{
    const QByteArray good = HidSimControl::scenario();
    writeFile(scenarioFile(), "{ \"mice\": [ half an edit");
    QTest::qWait(300);  // several looks at the folder
    QVERIFY(!HidSimControl::path("m7").isEmpty());
    QVERIFY(HidSimControl::setBattery("m8", 50, false));  // a change still works ...
    QFile f(scenarioFile());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("\"battery\": 50"));  // ... and writes a sound file again
}

void tst_HidSimPersist::unreadableFlashStartsFromFactory()
{
    const QByteArray factory = HidSimControl::configImage("m9");
    const QString file = HidSimControl::directory() + "/flash/m8.bin";
    writeFile(file, "not a flash image");
    QCOMPARE(HidSimControl::configImage("m8"), factory);
    QVERIFY(QFile::exists(file + ".bad"));  // kept for a look, not silently lost
}

void tst_HidSimPersist::folderFollowsTheHome_data()
{
    QTest::addColumn<bool>("homeSet");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("hidsimDir");
    QTest::addColumn<QString>("expected");  // "" = ".hidsim" in the account's home folder

    QTest::newRow("HIDSIM_DIR wins") << true << QByteArray("/srv/someone") << QByteArray("/srv/sim//x/") << "/srv/sim/x";
    QTest::newRow("HOME set") << true << QByteArray("/srv/someone") << QByteArray() << "/srv/someone/.hidsim";
    QTest::newRow("HOME unset") << false << QByteArray() << QByteArray() << "";
    QTest::newRow("HOME empty") << true << QByteArray() << QByteArray() << "";
}

void tst_HidSimPersist::folderFollowsTheHome()
{
    QFETCH(bool, homeSet);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, hidsimDir);
    QFETCH(QString, expected);

    const passwd* account = getpwuid(getuid());
    QVERIFY(account && account->pw_dir);
    const QString accountHome = QDir::cleanPath(QFile::decodeName(account->pw_dir));
    if (expected.isEmpty()) {
        if (accountHome == QLatin1String("/"))
            QSKIP("this account's home folder is the root folder");
        expected = accountHome + "/.hidsim";
    }
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldDir = qgetenv("HIDSIM_DIR");
    if (homeSet)
        qputenv("HOME", home);
    else
        qunsetenv("HOME");
    qputenv("HIDSIM_DIR", hidsimDir);
    const QString folder = HidSimControl::defaultDirectory();
    qputenv("HOME", oldHome);
    qputenv("HIDSIM_DIR", oldDir);
    QCOMPARE(folder, expected);
}

QTEST_GUILESS_MAIN(tst_HidSimPersist)
#include "tst_hidsimpersist.moc"
