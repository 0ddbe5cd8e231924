#include "ui/macro/MacroRecorder.h"

#include <QTest>

namespace {

// A few virtual keys with names; 0xAD (a media key) has none, 0x0C the empty one.
bool nameOf(int vk, QString* name)
{
    switch (vk) {
    case 0x41: *name = QStringLiteral("A"); return true;
    case 0x42: *name = QStringLiteral("B"); return true;
    case 0xA0: *name = QStringLiteral("LShift"); return true;
    case 0x0C: *name = QString(); return true;
    default: return false;
    }
}

// One report: milliseconds since the start, key, down. The key kLost stands
// for the keyboard going to another program, kStop for Stop.
constexpr int kLost = -1;
constexpr int kStop = -2;
struct Report
{
    qint64 at;
    int vk;
    bool down;
};

// `events` key events typing A, 1 ms apart from `at`: press, release, press ...
QVector<Report> typedA(int events, qint64 at = 0)
{
    QVector<Report> reports;
    for (int i = 0; i < events; ++i)
        reports.append({at + i, 0x41, i % 2 == 0});
    return reports;
}

QVector<MacroRecorder::Step> feed(MacroRecorder& recorder, const Report& r)
{
    if (r.vk == kLost)
        return recorder.releaseHeldKeys();
    if (r.vk == kStop)
        return recorder.stop();
    return recorder.onKey(r.vk, r.down);
}

QString rowOf(const MacroRecorder::Step& step)
{
    return step.addKey ? (step.release ? "-" : "+") + step.name : QString();
}

} // namespace

Q_DECLARE_METATYPE(QVector<Report>)

// The recorder's rows for sequences of key reports, with a test clock.
class TestMacroRecorder : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<quint32>("fixedDelay");
        QTest::addColumn<QVector<Report>>("reports");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("A held 500 ms, its repeats add nothing")
            << 0u << QVector<Report>{{100, 0x41, true}, {130, 0x41, true}, {160, 0x41, true}, {600, 0x41, false}}
            << QStringList{"+A", "500ms", "-A"};
        QTest::newRow("overlapping keys, then B again")
            << 0u
            << QVector<Report>{{0, 0x41, true}, {20, 0x42, true}, {50, 0x41, false}, {90, 0x42, false},
                               {100, 0x42, true}, {130, 0x42, false}}
            << QStringList{"+A", "20ms", "+B", "30ms", "-A", "40ms", "-B", "10ms", "+B", "30ms", "-B"};
        QTest::newRow("fixed pauses whatever the timing")
            << 10u << QVector<Report>{{0, 0xA0, true}, {700, 0x41, true}, {701, 0x41, false}, {5000, 0xA0, false}}
            << QStringList{"+LShift", "10ms", "+A", "10ms", "-A", "10ms", "-LShift"};
        QTest::newRow("a key without a name keeps its pause only")
            << 0u << QVector<Report>{{0, 0x41, true}, {40, 0xAD, true}, {45, 0xAD, false}, {70, 0x41, false}}
            << QStringList{"+A", "40ms", "-A"};
        QTest::newRow("Clear key has the empty name")
            << 0u << QVector<Report>{{0, 0x0C, true}, {15, 0x0C, false}} << QStringList{"+", "15ms", "-"};
        QTest::newRow("release of a key pressed before the start")
            << 0u << QVector<Report>{{10, 0x42, false}, {30, 0x41, true}} << QStringList{"-B", "20ms", "+A"};
        QTest::newRow("keyboard lost: keys down released then, last pressed first")
            << 0u << QVector<Report>{{0, 0xA0, true}, {20, 0x41, true}, {50, kLost, false}}
            << QStringList{"+LShift", "20ms", "+A", "30ms", "-A", "0ms", "-LShift"};
        QTest::newRow("keyboard lost with fixed pauses")
            << 10u << QVector<Report>{{0, 0x41, true}, {500, kLost, false}} << QStringList{"+A", "10ms", "-A"};
        QTest::newRow("keyboard lost with nothing down adds nothing")
            << 0u << QVector<Report>{{0, 0x41, true}, {10, 0x41, false}, {50, kLost, false}, {70, 0x42, true}}
            << QStringList{"+A", "10ms", "-A", "60ms", "+B"};
        QTest::newRow("after coming back the key presses anew")
            << 0u << QVector<Report>{{0, 0x41, true}, {30, kLost, false}, {100, 0x41, true}}
            << QStringList{"+A", "30ms", "-A", "70ms", "+A"};
        QTest::newRow("stopped: keys down released then, last pressed first")
            << 0u << QVector<Report>{{0, 0xA0, true}, {20, 0x41, true}, {50, kStop, false}}
            << QStringList{"+LShift", "20ms", "+A", "30ms", "-A", "0ms", "-LShift"};
        QTest::newRow("stopped: a key without a name held adds nothing")
            << 0u << QVector<Report>{{0, 0x41, true}, {10, 0x41, false}, {20, 0xAD, true}, {50, kStop, false}}
            << QStringList{"+A", "10ms", "-A", "10ms"};
    }

    void rows()
    {
        QFETCH(quint32, fixedDelay);
        QFETCH(QVector<Report>, reports);
        QFETCH(QStringList, expected);
        qint64 clock = 0;
        MacroRecorder recorder(nameOf, [&] { return clock; });
        recorder.setFixedDelay(fixedDelay);
        recorder.start();
        QStringList got;
        for (const Report& r : reports) {
            clock = r.at;
            for (const MacroRecorder::Step& step : feed(recorder, r)) {
                if (step.addDelay)
                    got << QString::number(step.delayMs) + "ms";
                if (step.addKey)
                    got << (step.release ? "-" : "+") + step.name;
                QVERIFY(!step.limitReached);
            }
        }
        QCOMPARE(got, expected);
    }

    // When the event loop hands a press over late, the window system's time
    // stamps still give the hold.
    void pausesFromEventTimes_data()
    {
        QTest::addColumn<qint64>("clockGap");
        QTest::addColumn<quint64>("firstStamp");
        QTest::addColumn<quint64>("secondStamp");
        QTest::addColumn<quint32>("expectedMs");

        QTest::newRow("both stamped: the stamps") << qint64(17) << quint64(100000) << quint64(100500) << 500u;
        QTest::newRow("no stamps: the clock") << qint64(17) << quint64(0) << quint64(0) << 17u;
        QTest::newRow("one stamp only: the clock") << qint64(17) << quint64(0) << quint64(100500) << 17u;
        QTest::newRow("stamps wrapped: no negative pause") << qint64(17) << quint64(0xFFFFFF00) << quint64(40) << 0u;
    }

    void pausesFromEventTimes()
    {
        QFETCH(qint64, clockGap);
        QFETCH(quint64, firstStamp);
        QFETCH(quint64, secondStamp);
        QFETCH(quint32, expectedMs);
        qint64 clock = 1000;
        MacroRecorder recorder(nameOf, [&] { return clock; });
        recorder.start();
        QVERIFY(recorder.onKey(0x41, true, firstStamp).value(0).addKey);
        clock += clockGap;
        const MacroRecorder::Step step = recorder.onKey(0x41, false, secondStamp).value(0);
        QVERIFY(step.addDelay);
        QCOMPARE(step.delayMs, expectedMs);
    }

    void stopsItselfAtSeventyEvents()
    {
        qint64 clock = 0;
        MacroRecorder recorder(nameOf, [&] { return clock; });
        recorder.start();
        int keys = 0, delays = 0;
        for (int i = 0; i < 100 && recorder.isActive(); ++i) {
            clock += 7;
            const QVector<MacroRecorder::Step> steps = recorder.onKey(0x41, i % 2 == 0);
            QCOMPARE(steps.size(), 1);
            keys += steps.first().addKey;
            delays += steps.first().addDelay;
            QCOMPARE(steps.first().limitReached, keys == MacroRecorder::kMaxKeyEvents);
        }
        QCOMPARE(keys, 70);
        QCOMPARE(delays, 69);
        QVERIFY(!recorder.isActive());
        // Reports after the limit add nothing until the next start.
        QVERIFY(recorder.onKey(0x42, true).isEmpty());
        QVERIFY(recorder.stop().isEmpty());
        recorder.start();
        QVERIFY(recorder.onKey(0x42, true).value(0).addKey);
    }

    // Each press keeps a place for its release within the 70: the report that
    // would leave no place for the releases of the keys still down ends the
    // recording, without it, and those keys are released then. So the
    // recording ends at the limit with nothing held.
    void theLimitKeepsPlacesForTheReleases_data()
    {
        QTest::addColumn<QVector<Report>>("reports");
        QTest::addColumn<QStringList>("lastKeys");  // the last key rows, the limit on the last

        QTest::newRow("typing with Shift held: its press leaves no place, Shift released")
            << QVector<Report>{{0, 0xA0, true}} + typedA(68, 1) + QVector<Report>{{100, 0x41, true}}
            << QStringList{"+A", "-A", "-LShift"};
        QTest::newRow("three keys down: the fourth press ends it")
            << typedA(64) + QVector<Report>{{100, 0xA0, true}, {101, 0x41, true}, {102, 0x42, true},
                                            {103, 0x0C, true}}
            << QStringList{"+B", "-B", "-A", "-LShift"};
        QTest::newRow("a release of a key pressed before the start needs a place too")
            << typedA(68) + QVector<Report>{{100, 0xA0, true}, {101, 0x42, false}}
            << QStringList{"-A", "+LShift", "-LShift"};
        QTest::newRow("the last press that fits, then its release: the limit as typed")
            << QVector<Report>{{0, 0xA0, true}} + typedA(66, 1) + QVector<Report>{{100, 0x42, true}, {101, 0x42, false}, {102, 0xA0, false}}
            << QStringList{"+B", "-B", "-LShift"};
        QTest::newRow("keyboard lost with two keys down at the edge: the releases fit")
            << typedA(66) + QVector<Report>{{100, 0xA0, true}, {101, 0x42, true}, {102, kLost, false}}
            << QStringList{"+B", "-B", "-LShift"};
    }

    void theLimitKeepsPlacesForTheReleases()
    {
        QFETCH(QVector<Report>, reports);
        QFETCH(QStringList, lastKeys);
        qint64 clock = 0;
        MacroRecorder recorder(nameOf, [&] { return clock; });
        recorder.start();
        QStringList keys;
        QStringList down;
        bool limit = false;
        for (const Report& r : reports) {
            QVERIFY2(!limit, "reports after the limit");
            clock = r.at;
            for (const MacroRecorder::Step& step : feed(recorder, r)) {
                QVERIFY(!limit);
                limit = step.limitReached;
                if (!step.addKey)
                    continue;
                keys << rowOf(step);
                if (!step.release)
                    down << step.name;
                else
                    down.removeOne(step.name);
            }
        }
        QVERIFY(limit);
        QVERIFY(!recorder.isActive());
        QCOMPARE(keys.size(), MacroRecorder::kMaxKeyEvents);
        QCOMPARE(keys.mid(keys.size() - lastKeys.size()), lastKeys);
        QVERIFY2(down.isEmpty(), qPrintable(down.join(' ')));
        QVERIFY(recorder.releaseHeldKeys().isEmpty());
        QVERIFY(recorder.stop().isEmpty());
    }

    void idleRecorderAddsNothing()
    {
        MacroRecorder recorder(nameOf);
        QVERIFY(recorder.onKey(0x41, true).isEmpty());
        recorder.start();
        QVERIFY(recorder.stop().isEmpty());
        QVERIFY(recorder.onKey(0x41, true).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMacroRecorder)
#include "tst_macrorecorder.moc"
