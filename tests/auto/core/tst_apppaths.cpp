// Where the per-user files go when HOME is set, empty or missing: never at the
// root of the file system.

#include "core/AppPaths.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

class tst_AppPaths : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void userFoldersFollowTheHome_data();
    void userFoldersFollowTheHome();

private:
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
};

void tst_AppPaths::init()
{
    m_oldHome = qgetenv("HOME");
    m_oldConfig = qgetenv("XDG_CONFIG_HOME");
}

void tst_AppPaths::cleanup()
{
    qputenv("HOME", m_oldHome);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

void tst_AppPaths::userFoldersFollowTheHome_data()
{
    QTest::addColumn<bool>("homeSet");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QString>("expectedHome");    // "" = the account's home folder
    QTest::addColumn<QString>("expectedConfig");  // "" = <expected home>/.config

    QTest::newRow("HOME set") << true << QByteArray("/srv/someone") << QByteArray() << "/srv/someone" << "";
    QTest::newRow("HOME unset") << false << QByteArray() << QByteArray() << "" << "";
    QTest::newRow("HOME empty") << true << QByteArray() << QByteArray() << "" << "";
    QTest::newRow("HOME unset, config folder set")
        << false << QByteArray() << QByteArray("/srv/config") << "" << "/srv/config";
}

void tst_AppPaths::userFoldersFollowTheHome()
{
    QFETCH(bool, homeSet);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, configHome);
    QFETCH(QString, expectedHome);
    QFETCH(QString, expectedConfig);

    const passwd* account = getpwuid(getuid());
    QVERIFY(account && account->pw_dir);
    const QString accountHome = QDir::cleanPath(QFile::decodeName(account->pw_dir));
    if (expectedHome.isEmpty()) {
        if (accountHome == QLatin1String("/"))
            QSKIP("this account's home folder is the root folder");
        expectedHome = accountHome;
    }
    if (expectedConfig.isEmpty())
        expectedConfig = expectedHome + "/.config";

    if (homeSet)
        qputenv("HOME", home);
    else
        qunsetenv("HOME");
    if (configHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome);

    QCOMPARE(AppPaths::dataDir(), expectedHome + "/AppData/Local/Orvex DeskLink");
    QCOMPARE(AppPaths::macroIniPath(), expectedHome + "/AppData/Local/Orvex DeskLink/Macro.ini");
    QCOMPARE(Registry::filePath(), expectedConfig + "/Orvex DeskLink/Registry.ini");
}

QTEST_GUILESS_MAIN(tst_AppPaths)
#include "tst_apppaths.moc"
