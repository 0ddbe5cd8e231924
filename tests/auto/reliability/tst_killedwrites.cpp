#include "ReliabilityImages.h"
#include "TestHome.h"

#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "device/DeviceCache.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"

#include <HIDUsb.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>

// A process killed (SIGKILL) at any moment of writing a stored file leaves
// the file holding the previous or the new content, never a mix, and the next
// process reads it and writes on.
class TestKilledWrites : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;

    QString simDir() const { return m_home.path() + "/hidsim-killed"; }

    QProcessEnvironment childEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.path() + "/.config");
        env.insert("XDG_DATA_HOME", m_home.path() + "/.local/share");
        env.insert("HIDSIM_DIR", simDir());
        env.insert("HIDSIM_TIME_SCALE", "0");
        return env;
    }

    // -1 when the file is torn or foreign, else the image variant it holds.
    int storedVariant(const QString& mode, QString* why)
    {
        if (mode == "cache") {
            const QString name = DeviceCacheFileName(0x33, 0x07);
            const qint64 size = QFileInfo(DeviceCacheFilePath(name)).size();
            FlashDataMap img;
            if (size != 4 + FlashDataMap::kSize || !LoadDeviceCache(name, &img)) {
                *why = QString("cache file of %1 bytes does not load").arg(size);
                return -1;
            }
            return reliability::variantOf(reliability::bytes(img));
        }
        if (mode == "settings") {
            SettingsStore::resetForTests();
            SettingsStore* store = SettingsStore::instance();
            const QString language = store->value("Language", "Language");
            const QString autoStart = store->value("AutoStart", "Enable");
            *why = QString("Macro.ini holds Language=%1 AutoStart=%2").arg(language, autoStart);
            if (autoStart != "1")
                return -1;
            return language == "3" ? 0 : language == "7" ? 1 : -1;
        }
        if (mode == "macro") {
            MacroFile::Contents contents;
            const QString path = MacroFolder::filePath(MacroFolder::defaultPath(), QStringLiteral("killed"));
            if (!MacroFile::read(path, &contents)) {
                *why = "the macro file is missing";
                return -1;
            }
            *why = QString("macro file of %1 bytes").arg(QFileInfo(path).size());
            for (int v = 0; v < 2; ++v) {
                if (contents.repeatCode == reliability::macroRepeat(v) && contents.rows == reliability::macroRows(v))
                    return v;
            }
            return -1;
        }
        // The simulator's flash file: 8-byte header, then four 6912-byte profiles.
        QFile file(simDir() + "/flash/m7.bin");
        if (QFile::exists(file.fileName() + ".bad") || !file.open(QIODevice::ReadOnly)) {
            *why = "the flash file is missing or was refused";
            return -1;
        }
        const QByteArray data = file.readAll();
        if (data.size() != 8 + 4 * 6912 || !data.startsWith("HSFL")) {
            *why = QString("flash file of %1 bytes").arg(data.size());
            return -1;
        }
        FlashDataMap img;
        if (!ProtocolDataParser(reinterpret_cast<const unsigned char*>(data.constData()) + 8, &img)) {
            *why = "profile 0 does not parse";
            return -1;
        }
        *why = "profile 0 is neither image";
        return reliability::variantOf(reliability::bytes(img));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QVERIFY(QDir().mkpath(AppPaths::dataSubdir("Device_Info")));
        QVERIFY(QDir().mkpath(MacroFolder::defaultPath()));
        QVERIFY(QDir().mkpath(simDir()));
        QFile scenario(simDir() + "/scenario.json");
        QVERIFY(scenario.open(QIODevice::WriteOnly));
        scenario.write(R"({"vendorId": "3A7C", "mice": [{"id": "m7", "cid": 51, "mid": 7, "usbPid": "0A01",
            "receiverKind": 0, "firmware": "v1.3", "cable": true, "powered": true, "battery": 100}],
            "receivers": []})");
    }

    void killedMidWrite_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("configuration cache") << "cache";
        QTest::newRow("user settings") << "settings";
        QTest::newRow("mouse flash") << "flash";
        QTest::newRow("macro file") << "macro";
    }

    void killedMidWrite()
    {
        QFETCH(QString, mode);
        const quint32 seed = qEnvironmentVariableIsSet("DESKLINK_FAULT_SEED")
            ? quint32(qEnvironmentVariableIntValue("DESKLINK_FAULT_SEED"))
            : 20240611u;
        QRandomGenerator random(seed);
        for (int round = 0; round < 20; ++round) {
            QProcess child;
            child.setProcessEnvironment(childEnvironment());
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QStringLiteral(DESKLINK_RELIABILITY_WRITER), {mode});
            QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
            QByteArray out;
            QElapsedTimer clock;
            clock.start();
            // A start that takes longer is stuck (say, on a lock the killed one left).
            while (!out.contains("ready\n") && child.state() == QProcess::Running && clock.elapsed() < 15000) {
                child.waitForReadyRead(50);
                out += child.readAllStandardOutput();
            }
            QVERIFY2(out.contains("ready\n"), qPrintable(QString("round %1: %2").arg(round).arg(QString(out))));

            // Let one to three further writes complete, then kill at a random point of
            // the next one: the period is measured, as disks differ widely in speed.
            const int writes = 1 + int(random.bounded(3u));
            clock.restart();
            while (out.count("\nw ") < writes && child.state() == QProcess::Running && clock.elapsed() < 30000) {
                child.waitForReadyRead(1);
                out += child.readAllStandardOutput();
            }
            QVERIFY2(out.count("\nw ") >= writes, qPrintable(QString("round %1: %2").arg(round).arg(QString(out))));
            const quint32 periodUs = quint32(qMax<qint64>(1, clock.nsecsElapsed() / 1000 / writes));
            QThread::usleep(random.bounded(periodUs));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            QString why;
            const int variant = storedVariant(mode, &why);
            QVERIFY2(variant == 0 || variant == 1,
                     qPrintable(QString("round %1 (seed %2): %3").arg(round).arg(seed).arg(why)));
        }
    }

    // Killed between creating the simulator folder's lock and writing its owner
    // into it: the next process goes on at once instead of waiting out the lock.
    void simulatorLockLeftByAKill()
    {
        QFile lock(simDir() + "/.lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.close();

        QProcess child;
        child.setProcessEnvironment(childEnvironment());
        QElapsedTimer clock;
        clock.start();
        child.start(QStringLiteral(DESKLINK_RELIABILITY_WRITER), {"flash"});
        QByteArray out;
        while (!out.contains("ready\n") && child.state() != QProcess::NotRunning && clock.elapsed() < 15000) {
            child.waitForReadyRead(20);
            out += child.readAllStandardOutput();
        }
        const qint64 took = clock.elapsed();
        child.kill();
        child.waitForFinished(10000);
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(out.contains("ready\n"), errors.constData());
        QVERIFY2(!errors.contains("stays locked"), errors.constData());
        qInfo("first write after %lld ms", took);
    }
};

QTEST_GUILESS_MAIN(TestKilledWrites)
#include "tst_killedwrites.moc"
