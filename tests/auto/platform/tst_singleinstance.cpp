#include "platform/SingleInstanceGuard.h"

#include "ProbeProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void guardIsExclusiveUntilReleased();
    void guardWithoutFolderDoesNotClaimAnotherInstance();
    void secondStartShowsNoticeAndLeavesFirstRunning();
    void startAfterKilledInstanceRuns();
    void guardHoldsWithEitherLock_data();
    void guardHoldsWithEitherLock();
    void secondStartWithAnUnwritableDataFolder();

private:
    static void writeLanguageFile(const QString& appDir, const QString& file, const QString& label,
                                  const QString& button);
};

void tst_SingleInstance::writeLanguageFile(const QString& appDir, const QString& file,
                                           const QString& label, const QString& button)
{
    QFile f(appDir + "/Language/" + file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Total>\n"
                    " <EXEIsRun><label>%1</label><label_2>x</label_2>"
                    "<NewHong>%2</NewHong><PleaseStop>y</PleaseStop></EXEIsRun>\n"
                    "</Total>\n")
                .arg(label, button)
                .toUtf8());
}

// Every folder of these tests lies below the test's own HOME.

void tst_SingleInstance::guardIsExclusiveUntilReleased()
{
    QTemporaryDir dir(QDir::homePath() + "/guard-XXXXXX");
    const QString lock = dir.path() + "/instance.lock";

    auto first = std::make_unique<SingleInstanceGuard>(lock);
    QCOMPARE(first->tryAcquire(), SingleInstanceGuard::Acquired);
    QCOMPARE(first->tryAcquire(), SingleInstanceGuard::Acquired);

    SingleInstanceGuard second(lock);
    QCOMPARE(second.tryAcquire(), SingleInstanceGuard::HeldElsewhere);
    QVERIFY(!second.isHeld());

    first.reset();
    QCOMPARE(second.tryAcquire(), SingleInstanceGuard::Acquired);
    QVERIFY(second.isHeld());
}

void tst_SingleInstance::guardWithoutFolderDoesNotClaimAnotherInstance()
{
    // When no lock can be taken at all the program must still start.
    QTemporaryDir dir(QDir::homePath() + "/guard-XXXXXX");
    SingleInstanceGuard guard(dir.path() + "/missing/instance.lock");
    QCOMPARE(guard.tryAcquire(), SingleInstanceGuard::Unavailable);
}

void tst_SingleInstance::secondStartShowsNoticeAndLeavesFirstRunning()
{
    QTemporaryDir dir(QDir::homePath() + "/second-XXXXXX");
    const QString home = dir.path() + "/home";
    const QString appDir = makeProbeAppDir(dir.path() + "/app");
    writeLanguageFile(appDir, "0-English.xml", "Already running", "OK");
    writeLanguageFile(appDir, "2-Fran.xml", QString::fromUtf8("Déjà lancé"), "D'accord");
    QVERIFY(QDir().mkpath(home + "/AppData/Local/Orvex DeskLink"));
    {
        QFile ini(home + "/AppData/Local/Orvex DeskLink/Macro.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Language]\nLanguage=2\n");
    }

    ProbeProcess first(home, appDir);
    first.start();
    QVERIFY2(first.waitForLine("running"), qPrintable(first.errors()));

    ProbeProcess second(home, appDir, "quit");
    second.start();
    QVERIFY2(second.finish(), qPrintable(second.errors()));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.lineStartingWith("notice:"), QString::fromUtf8("notice:Déjà lancé|D'accord"));
    QVERIFY(second.lineStartingWith("running").isNull());

    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(!first.waitForFinished(200));
}

void tst_SingleInstance::startAfterKilledInstanceRuns()
{
    QTemporaryDir dir(QDir::homePath() + "/killed-XXXXXX");
    const QString home = dir.path() + "/home";
    const QString appDir = makeProbeAppDir(dir.path() + "/app");

    ProbeProcess first(home, appDir);
    first.start();
    QVERIFY2(first.waitForLine("running"), qPrintable(first.errors()));
    first.kill(); // SIGKILL: no chance to clean anything up
    QVERIFY(first.finish());

    ProbeProcess next(home, appDir, "quit");
    next.start();
    QVERIFY2(next.finish(), qPrintable(next.errors()));
    QVERIFY2(!next.lineStartingWith("running").isNull(), qPrintable(next.lines().join('\n')));
    QVERIFY(next.lineStartingWith("notice:").isNull());
    QCOMPARE(next.exitStatus(), QProcess::NormalExit);
    QCOMPARE(next.exitCode(), 0);
}

void tst_SingleInstance::guardHoldsWithEitherLock_data()
{
    QTest::addColumn<bool>("firstUsable");   // the data folder's lock can be created
    QTest::addColumn<bool>("secondUsable");  // the runtime folder's
    QTest::addColumn<int>("alone");          // result of the first guard

    QTest::newRow("both") << true << true << int(SingleInstanceGuard::Acquired);
    QTest::newRow("data folder unusable") << false << true << int(SingleInstanceGuard::Acquired);
    QTest::newRow("runtime folder unusable") << true << false << int(SingleInstanceGuard::Acquired);
    QTest::newRow("neither") << false << false << int(SingleInstanceGuard::Unavailable);
}

// Whichever lock can be taken keeps a second guard out.
void tst_SingleInstance::guardHoldsWithEitherLock()
{
    QFETCH(bool, firstUsable);
    QFETCH(bool, secondUsable);
    QFETCH(int, alone);
    QTemporaryDir dir(QDir::homePath() + "/either-XXXXXX");
    const QString first = dir.path() + (firstUsable ? "" : "/missing") + "/data.lock";
    const QString second = dir.path() + (secondUsable ? "" : "/missing") + "/runtime.lock";

    auto running = std::make_unique<SingleInstanceGuard>(first, second);
    QCOMPARE(int(running->tryAcquire()), alone);
    SingleInstanceGuard next(first, second);
    const bool held = alone == SingleInstanceGuard::Acquired;
    QCOMPARE(next.tryAcquire(), held ? SingleInstanceGuard::HeldElsewhere : SingleInstanceGuard::Unavailable);
    QVERIFY(!next.isHeld());

    running.reset();
    QCOMPARE(int(next.tryAcquire()), alone);
}

// A data folder that cannot be written (here: a file in its place) keeps no
// lock file of its own; a second start must still find the first instance.
void tst_SingleInstance::secondStartWithAnUnwritableDataFolder()
{
    QTemporaryDir dir(QDir::homePath() + "/unwritable-XXXXXX");
    const QString home = dir.path() + "/home";
    const QString appDir = makeProbeAppDir(dir.path() + "/app");
    writeLanguageFile(appDir, "0-English.xml", "Already running", "OK");
    QVERIFY(QDir().mkpath(home + "/AppData/Local"));
    {
        QFile blocker(home + "/AppData/Local/Orvex DeskLink");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }

    ProbeProcess first(home, appDir);
    first.start();
    QVERIFY2(first.waitForLine("running"), qPrintable(first.errors()));

    ProbeProcess second(home, appDir, "quit");
    second.start();
    QVERIFY2(second.finish(), qPrintable(second.errors()));
    QCOMPARE(second.lineStartingWith("notice:"), QString("notice:Already running|OK"));
    QVERIFY(second.lineStartingWith("running").isNull());
    QCOMPARE(first.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
