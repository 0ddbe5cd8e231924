#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <unistd.h>

namespace {
const QString kAppName = QStringLiteral("Orvex DeskLink");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(random.bounded(256));
    // Some structure that a reader may take for the start of something.
    bytes.replace(100, 3, "[\n=");
    bytes.replace(500, 5, "<?xml");
    return bytes;
}

// An application folder: the delivered files of the build, linked, except the
// entries a case replaces; those are copied or left out.
class AppFolder
{
public:
    explicit AppFolder(const QString& where)
        : m_path(where)
    {
        QDir().mkpath(m_path);
    }
    QString path() const { return m_path; }
    QString real(const QString& relative) const { return QStringLiteral(DESKLINK_APP_DIR) + '/' + relative; }

    // Links every entry of the build's folder `relative` into ours, but `except`.
    void linkEntries(const QString& relative, const QStringList& except = {})
    {
        QDir().mkpath(m_path + '/' + relative);
        const QDir from(real(relative));
        for (const QString& entry : from.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const QString name = relative.isEmpty() ? entry : relative + '/' + entry;
            if (!except.contains(name))
                QFile::link(from.filePath(entry), m_path + '/' + name);
        }
    }

private:
    QString m_path;
};

// What a case breaks, in the user's home or in the application folder.
using Breakage = std::function<bool(const QString& home, AppFolder& app)>;

QString dataDir(const QString& home)
{
    return home + "/AppData/Local/" + kAppName;
}

// The shipped Config.ini with each (from, to) text replaced.
Breakage editedCatalogue(const QList<QPair<QByteArray, QByteArray>>& edits)
{
    return [edits](const QString&, AppFolder& app) {
        app.linkEntries(QString(), {"usersetting"});
        QFile shipped(app.real("usersetting/Config.ini"));
        if (!shipped.open(QIODevice::ReadOnly))
            return false;
        QByteArray text = shipped.readAll();
        for (const auto& edit : edits)
            text.replace(edit.first, edit.second);
        return writeFile(app.path() + "/usersetting/Config.ini", text);
    };
}
}

Q_DECLARE_METATYPE(Breakage)

// The program started on missing, empty, garbage or unusable files comes up,
// lists what it can, opens a device and walks its pages without crashing, and
// ends normally. Each case runs the real start-up in a process of its own.
class TestStartupWithBadFiles : public QObject
{
    Q_OBJECT

private slots:
    void startsAndShowsWhatItCan_data()
    {
        QTest::addColumn<Breakage>("breakage");
        QTest::addColumn<bool>("devicesListed");
        auto keepApp = [](AppFolder& app) { app.linkEntries(QString()); };

        QTest::newRow("nothing broken") << Breakage([=](const QString&, AppFolder& app) {
            keepApp(app);
            return true;
        }) << true;
        QTest::newRow("data folder is a file") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            return writeFile(dataDir(home), "not a folder");
        }) << true;
        QTest::newRow("data folder read-only") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            for (const char* sub : {"", "/Log", "/Device_Info", "/Exception", "/usersetting"})
                QDir().mkpath(dataDir(home) + sub);
            return QFile::setPermissions(dataDir(home), QFile::ReadOwner | QFile::ExeOwner);
        }) << true;
        QTest::newRow("Macro.ini is a folder") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            return QDir().mkpath(dataDir(home) + "/Macro.ini/x");
        }) << true;
        QTest::newRow("Macro.ini empty") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            return writeFile(dataDir(home) + "/Macro.ini", QByteArray());
        }) << true;
        QTest::newRow("Macro.ini garbage") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            return writeFile(dataDir(home) + "/Macro.ini", garbage(64 * 1024, 1));
        }) << true;
        QTest::newRow("Macro.ini language out of range") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            return writeFile(dataDir(home) + "/Macro.ini", "[Language]\nLanguage=99\n[FindNew]\nIsShow=abc\n");
        }) << true;
        QTest::newRow("Macro.ini language negative") << Breakage([=](const QString& home, AppFolder& app) {
            keepApp(app);
            return writeFile(dataDir(home) + "/Macro.ini", "[Language]\nLanguage=-7\n");
        }) << true;
        QTest::newRow("Config.ini missing") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"usersetting"});
            return QDir().mkpath(app.path() + "/usersetting");
        }) << false;
        QTest::newRow("Config.ini empty") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"usersetting"});
            return writeFile(app.path() + "/usersetting/Config.ini", QByteArray());
        }) << false;
        QTest::newRow("Config.ini garbage") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"usersetting"});
            return writeFile(app.path() + "/usersetting/Config.ini", garbage(32 * 1024, 2));
        }) << false;
        QTest::newRow("Config.ini numbers out of range") << editedCatalogue({
            {"DPIMaxGrade=4", "DPIMaxGrade=1000"},
            {"KeyNumber=5", "KeyNumber=-3"},
            {"DPIRange=100,12000,100,00", "DPIRange=0,0,0,99"},
            {"DPIGrade=400,800,", "DPIGrade=-400,99999999999,"},
            {"LabelColor=230,232,238", "LabelColor=999,-1,abc"},
            {"Adveanced=-1,-1", "Adveanced=77,99999"},
        }) << true;
        // A count no catalogue can hold describes nothing: the list names the file instead.
        QTest::newRow("Config.ini model count out of range, a model outside it") << editedCatalogue({
            {"DeviceTotal=11", "DeviceTotal=2147483647"},
            {"[Drive1]\nMID=7", "[Drive1]\nMID=250"},  // the mouse on its cable is unknown now
        }) << false;
        QTest::newRow("Config.ini model count negative") << editedCatalogue({
            {"DeviceTotal=11", "DeviceTotal=-5"},
        }) << false;  // as with no catalogue: nothing is recognised
        QTest::newRow("language folder missing") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"Language"});
            return true;
        }) << true;
        QTest::newRow("language files empty") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"Language"});
            for (const QString& f : QDir(app.real("Language")).entryList(QDir::Files))
                writeFile(app.path() + "/Language/" + f, QByteArray());
            return true;
        }) << true;
        QTest::newRow("language files garbage") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"Language"});
            quint32 seed = 10;
            for (const QString& f : QDir(app.real("Language")).entryList(QDir::Files))
                writeFile(app.path() + "/Language/" + f, garbage(16 * 1024, seed++));
            return true;
        }) << true;
        QTest::newRow("picture folder missing") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"Picture"});
            return true;
        }) << true;
        QTest::newRow("device list and home page pictures missing") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"Picture"});
            app.linkEntries("Picture", {"Picture/DialogChange", "Picture/Dialog"});
            app.linkEntries("Picture/DialogChange", {"Picture/DialogChange/MainBack.png",
                                                     "Picture/DialogChange/OnLine0.png"});
            app.linkEntries("Picture/Dialog", {"Picture/Dialog/BackGround.png", "Picture/Dialog/Battery.png"});
            return true;
        }) << true;
        QTest::newRow("sensor table missing") << Breakage([=](const QString&, AppFolder& app) {
            app.linkEntries(QString(), {"driver_sensor.h"});
            return true;
        }) << true;
    }

    void startsAndShowsWhatItCan()
    {
        QFETCH(Breakage, breakage);
        QFETCH(bool, devicesListed);
        if (QByteArray(QTest::currentDataTag()) == "data folder read-only" && ::geteuid() == 0)
            QSKIP("root writes into read-only folders; the folder-is-a-file case covers it");

        QTemporaryDir home;
        QVERIFY(home.isValid());
        AppFolder app(home.path() + "/app");
        QVERIFY(breakage(home.path(), app));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        env.insert("XDG_DATA_HOME", home.path() + "/.local/share");
        env.insert("XDG_CACHE_HOME", home.path() + "/.cache");
        env.insert("HIDSIM_DIR", home.path() + "/hidsim");
        env.insert("DESKLINK_APP_DIR", app.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(DESKLINK_RELIABILITY_PROBE), QStringList());
        QVERIFY2(probe.waitForStarted(10000), qPrintable(probe.errorString()));
        const bool ended = probe.waitForFinished(90000);
        const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        const QString errors = QString::fromLocal8Bit(probe.readAllStandardError());
        if (!ended)
            probe.kill();
        const QString report = lines.join(" | ") + "\n" + errors.right(3000);

        // Restore what the case took away, so the temporary folder can go.
        QFile::setPermissions(dataDir(home.path()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY2(ended, qPrintable("still running: " + report));
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0, qPrintable(report));
        QVERIFY2(lines.contains("running"), qPrintable(report));
        QVERIFY2(!lines.join(' ').contains("timeout:"), qPrintable(report));
        const QString devices = lines.filter(QRegularExpression("^devices:")).value(0);
        QVERIFY2(!devices.isEmpty(), qPrintable(report));
        if (devicesListed) {
            QVERIFY2(devices != "devices:0", qPrintable(report));
            QVERIFY2(lines.contains("opened") && lines.contains("back"), qPrintable(report));
        } else {
            QCOMPARE(devices, QString("devices:0"));
        }
        QVERIFY2(lines.contains("exit:0"), qPrintable(report));
        qInfo("%s", qPrintable(lines.join(" | ")));
    }
};

QTEST_GUILESS_MAIN(TestStartupWithBadFiles)
#include "tst_startupwithbadfiles.moc"
