#include "platform/CrashHandler.h"

#include "ProbeProcess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class tst_CrashDump : public QObject
{
    Q_OBJECT

private slots:
    void timeStamp_data();
    void timeStamp();
    void fatalEndLeavesDump_data();
    void fatalEndLeavesDump();
};

void tst_CrashDump::timeStamp_data()
{
    QTest::addColumn<qint64>("utc");
    QTest::addColumn<int>("offset");
    QTest::newRow("epoch") << qint64(0) << 0;
    QTest::newRow("before epoch, west") << qint64(-1) << -5 * 3600;
    QTest::newRow("leap day 2000") << QDateTime(QDate(2000, 2, 29), QTime(12, 0), Qt::UTC).toSecsSinceEpoch() << 0;
    QTest::newRow("2100 is no leap year") << QDateTime(QDate(2100, 2, 28), QTime(23, 30), Qt::UTC).toSecsSinceEpoch() << 3600;
    QTest::newRow("new year by offset") << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59), Qt::UTC).toSecsSinceEpoch() << 5 * 3600 + 1800;
    QTest::newRow("back a day by offset") << QDateTime(QDate(2024, 3, 1), QTime(2, 0), Qt::UTC).toSecsSinceEpoch() << -10 * 3600;
    QTest::newRow("ordinary afternoon") << qint64(1700000000) << 3600;
}

void tst_CrashDump::timeStamp()
{
    QFETCH(qint64, utc);
    QFETCH(int, offset);
    char out[CrashHandler::kTimeStampSize];
    CrashHandler::formatTimeStamp(static_cast<std::time_t>(utc), offset, out);
    const QString expected = QDateTime::fromSecsSinceEpoch(utc, Qt::OffsetFromUTC, offset)
                                 .toString("yyyy_MM_dd_hh_mm_ss");
    QCOMPARE(QString::fromLatin1(out), expected);
}

void tst_CrashDump::fatalEndLeavesDump_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QString>("mustContain");
    // Functions of the program (the probe's own, the library's, with internal
    // linkage or not) that frames of the backtrace must name.
    QTest::addColumn<QStringList>("named");
    const QString startup = QStringLiteral("AppStartup3run");  // AppStartup::run, below every main-thread frame
    QTest::newRow("segmentation fault") << QByteArray("segv") << "11 (SIGSEGV)" << "(main thread)"
                                        << QStringList{"onFatalSignal", "segfault", startup};
    QTest::newRow("before the top window exists") << QByteArray("segv-before-window") << "11 (SIGSEGV)"
                                                  << "(main thread)" << QStringList{"segfault", startup};
    QTest::newRow("fault in another thread") << QByteArray("segv-thread") << "11 (SIGSEGV)" << "thread: "
                                             << QStringList{"onFatalSignal", "segfault"};
    QTest::newRow("abort") << QByteArray("abort") << "6 (SIGABRT)" << "(main thread)" << QStringList{startup};
    QTest::newRow("floating point") << QByteArray("fpe") << "8 (SIGFPE)" << "(main thread)" << QStringList{startup};
    QTest::newRow("uncaught exception") << QByteArray("terminate") << "6 (SIGABRT)" << "probe failure"
                                        << QStringList{"onTerminate", startup};
    QTest::newRow("Exception folder gone") << QByteArray("segv-no-folder") << "11 (SIGSEGV)" << "backtrace:"
                                           << QStringList{"segfault"};
}

void tst_CrashDump::fatalEndLeavesDump()
{
    QFETCH(QByteArray, action);
    QFETCH(QString, signal);
    QFETCH(QString, mustContain);
    QFETCH(QStringList, named);

    QTemporaryDir dir(QDir::homePath() + "/crash-XXXXXX");
    const QString home = dir.path() + "/home";
    const QString appDir = makeProbeAppDir(dir.path() + "/app");
    // A zone five and a half hours east of UTC, so the local-time name is checked.
    const int offset = 5 * 3600 + 1800;
    ProbeProcess probe(home, appDir, action, "XYZ-05:30");

    const qint64 started = QDateTime::currentSecsSinceEpoch();
    probe.start();
    QVERIFY2(probe.finish(), qPrintable(probe.errors()));
    const qint64 ended = QDateTime::currentSecsSinceEpoch();
    const bool beforeWindow = action == "segv-before-window";
    QVERIFY2(probe.lineStartingWith("running").isNull() == beforeWindow, qPrintable(probe.errors()));
    QCOMPARE(probe.exitStatus(), QProcess::CrashExit);

    const QString folder = home + "/AppData/Local/Orvex DeskLink/Exception";
    const QStringList dumps = QDir(folder).entryList(QDir::Files);
    QCOMPARE(dumps.size(), 1);
    const QString name = dumps.first();
    QVERIFY2(QRegularExpression("^\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.dmp$").match(name).hasMatch(),
             qPrintable(name));
    QDateTime when = QDateTime::fromString(name.left(19), "yyyy_MM_dd_hh_mm_ss");
    when.setOffsetFromUtc(offset);
    QVERIFY2(when.toSecsSinceEpoch() >= started - 1 && when.toSecsSinceEpoch() <= ended + 1,
             qPrintable(name));

    QFile file(folder + '/' + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString dump = QString::fromUtf8(file.readAll());
    QVERIFY2(dump.contains("signal: " + signal), qPrintable(dump));
    QVERIFY2(dump.contains(mustContain), qPrintable(dump));
    if (action == "segv-thread")
        QVERIFY2(!dump.contains("(main thread)"), qPrintable(dump));
    // At least one frame below the heading.
    const int frames = dump.mid(dump.indexOf("backtrace:\n") + 11).trimmed().split('\n').size();
    QVERIFY2(dump.contains("backtrace:\n") && frames >= 2, qPrintable(dump));
    // A frame inside the program names its function, as the system does for a
    // shared library: "file(name+0xoffset)[0xaddress]".
    const QString program = QFileInfo(QStringLiteral(DESKLINK_STARTUP_PROBE)).fileName();
    for (const QString& function : named) {
        const QRegularExpression frame(QStringLiteral("^%1\\([^()\\s]*%2[^()\\s]*\\+0x[0-9a-f]+\\)\\[0x[0-9a-f]+\\]$")
                                           .arg(QRegularExpression::escape(program), function),
                                       QRegularExpression::MultilineOption);
        QVERIFY2(frame.match(dump).hasMatch(), qPrintable(function + " is named by no frame:\n" + dump));
    }
}

QTEST_GUILESS_MAIN(tst_CrashDump)
#include "tst_crashdump.moc"
