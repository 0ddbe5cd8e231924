#include "TestHome.h"

#include "core/AppPaths.h"
#include "core/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>
#include <QTest>

// What a program killed while it saved its user settings leaves beside
// Macro.ini must not stall the next one: its first write goes through at once.
class TestLeftoverLocks : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;

private slots:
    void init()
    {
        QDir(AppPaths::dataDir()).removeRecursively();
        QVERIFY(QDir().mkpath(AppPaths::dataDir()));
        SettingsStore::resetForTests();
    }
    void cleanup() { SettingsStore::resetForTests(); }

    void firstWriteAfterAKill_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<int>("ageSeconds");
        // Killed between creating the lock and writing its owner into it.
        QTest::newRow("empty lock") << QByteArray() << 60;
        QTest::newRow("empty lock, from a moment ago") << QByteArray() << 0;
        // Killed while holding a complete lock: the owner is gone.
        QTest::newRow("lock of an ended process")
            << QByteArray("2147480000\ndesklink\n" + QSysInfo::machineHostName().toUtf8() + "\n") << 2;
    }
    void firstWriteAfterAKill()
    {
        QFETCH(QByteArray, lock);
        QFETCH(int, ageSeconds);
        {
            QSettings before(AppPaths::macroIniPath(), QSettings::IniFormat);
            before.setValue("Language/Language", "4");
        }
        QFile lockFile(AppPaths::macroIniPath() + ".lock");
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        lockFile.write(lock);
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                     QFileDevice::FileModificationTime));
        lockFile.close();

        // A leftover lock held the write up for QSettings' whole stale-lock time;
        // half of that is beyond any busy machine's write.
        constexpr int kStaleLockMs = 30000;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(SettingsStore::instance()->setValue("AutoStart", "Enable", "1"));
        QVERIFY2(clock.elapsed() < kStaleLockMs / 2,
                 qPrintable(QString("the write waited %1 ms").arg(clock.elapsed())));

        // Nothing stored before is lost, the new value is on disk.
        QSettings after(AppPaths::macroIniPath(), QSettings::IniFormat);
        QCOMPARE(after.value("Language/Language").toString(), QString("4"));
        QCOMPARE(after.value("AutoStart/Enable").toString(), QString("1"));
    }
};

QTEST_GUILESS_MAIN(TestLeftoverLocks)
#include "tst_leftoverlocks.moc"
