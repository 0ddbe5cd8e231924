#include "app/AppStartup.h"
#include "core/AppPaths.h"

#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <utime.h>

class tst_AppStartup : public QObject
{
    Q_OBJECT

private slots:
    void freshHomeGetsFoldersAndEmptyMacroIni();
    void existingMacroIniIsKept();
    void removeOldFiles_data();
    void removeOldFiles();
    void removeOldFilesLeavesSubfolders();

private:
    static void touch(const QString& path, const QDateTime& modified);
};

void tst_AppStartup::touch(const QString& path, const QDateTime& modified)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    QVERIFY(file.flush()); // a later write-back would move the time again
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

void tst_AppStartup::freshHomeGetsFoldersAndEmptyMacroIni()
{
    TestHome home;
    QVERIFY(!QFileInfo::exists(AppPaths::dataDir()));

    AppStartup::prepareDataFolder();

    const QStringList expected = {"/Log", "/Device_Info", "/Exception", "/usersetting",
                                  "/usersetting/MainPage", "/usersetting/MacroPage",
                                  "/usersetting/SensorPage"};
    QCOMPARE(AppStartup::dataSubfolders(), expected);
    for (const QString& sub : expected)
        QVERIFY2(QFileInfo(AppPaths::dataDir() + sub).isDir(), qPrintable(sub));
    QFileInfo macro(AppPaths::macroIniPath());
    QVERIFY(macro.isFile());
    QCOMPARE(macro.size(), 0);
    QVERIFY(macro.absoluteFilePath().startsWith(home.path() + "/AppData/Local/Orvex DeskLink/"));
}

void tst_AppStartup::existingMacroIniIsKept()
{
    TestHome home;
    QVERIFY(QDir().mkpath(AppPaths::dataDir()));
    const QByteArray content = "[Language]\nLanguage=3\n";
    {
        QFile file(AppPaths::macroIniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    AppStartup::prepareDataFolder();
    AppStartup::prepareDataFolder();

    QFile file(AppPaths::macroIniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void tst_AppStartup::removeOldFiles_data()
{
    // Ages relative to "now"; whole days are counted, rounded down.
    QTest::addColumn<qint64>("ageSeconds");
    QTest::addColumn<bool>("kept");
    const qint64 hour = 3600, day = 24 * hour;
    QTest::newRow("just written") << qint64(0) << true;
    QTest::newRow("7 days") << 7 * day << true;
    QTest::newRow("7 days 23 hours") << 7 * day + 23 * hour << true;
    QTest::newRow("one second short of 8 days") << 8 * day - 1 << true;
    QTest::newRow("8 days") << 8 * day << false;
    QTest::newRow("a year") << 365 * day << false;
    QTest::newRow("dated in the future") << -30 * day << true;
}

void tst_AppStartup::removeOldFiles()
{
    QFETCH(qint64, ageSeconds);
    QFETCH(bool, kept);
    TestHome home;
    const QString folder = home.path() + "/Log";
    QVERIFY(QDir().mkpath(folder));
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000);
    // Three files of the same age side by side: every entry is looked at once,
    // whatever happened to the ones before it.
    for (const char* name : {"a.txt", "B.log", "c.dmp"})
        touch(folder + '/' + name, now.addSecs(-ageSeconds));

    AppStartup::RemoveOldFiles(folder, now);

    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), kept ? 3 : 0);
}

void tst_AppStartup::removeOldFilesLeavesSubfolders()
{
    TestHome home;
    const QString folder = home.path() + "/Exception";
    QVERIFY(QDir().mkpath(folder + "/old"));
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-100);
    touch(folder + "/old/inner.dmp", longAgo);
    touch(folder + "/2020_01_01_00_00_00.dmp", longAgo);
    const struct utimbuf times = {longAgo.toSecsSinceEpoch(), longAgo.toSecsSinceEpoch()};
    QCOMPARE(::utime(QFile::encodeName(folder + "/old").constData(), &times), 0);

    AppStartup::RemoveOldFiles(folder);

    QVERIFY(QFileInfo(folder + "/old").isDir());
    QVERIFY(QFileInfo::exists(folder + "/old/inner.dmp"));
    QVERIFY(!QFileInfo::exists(folder + "/2020_01_01_00_00_00.dmp"));
}

QTEST_GUILESS_MAIN(tst_AppStartup)
#include "tst_appstartup.moc"
