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
// for the keyboard going to another program.
constexpr int kLost = -1;
struct Report
{
    qint64 at;
    int vk;
    bool down;
};

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
            const QVector<MacroRecorder::Step> steps =
                r.vk == kLost ? recorder.releaseHeldKeys() : QVector<MacroRecorder::Step>{recorder.onKey(r.vk, r.down)};
            for (const MacroRecorder::Step& step : steps) {
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
        QVERIFY(recorder.onKey(0x41, true, firstStamp).addKey);
        clock += clockGap;
        const MacroRecorder::Step step = recorder.onKey(0x41, false, secondStamp);
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
            const MacroRecorder::Step step = recorder.onKey(0x41, i % 2 == 0);
            keys += step.addKey;
            delays += step.addDelay;
            QCOMPARE(step.limitReached, keys == MacroRecorder::kMaxKeyEvents);
        }
        QCOMPARE(keys, 70);
        QCOMPARE(delays, 69);
        QVERIFY(!recorder.isActive());
        // Reports after the limit add nothing until the next start.
        QVERIFY(!recorder.onKey(0x42, true).addKey);
        recorder.start();
        QVERIFY(recorder.onKey(0x42, true).addKey);
    }

    // Keys released for a lost keyboard count like any other; the limit ends
    // the recording among them.
    void releasedKeysMeetTheLimit()
    {
        qint64 clock = 0;
        MacroRecorder recorder(nameOf, [&] { return clock; });
        recorder.start();
        for (int i = 0; i < MacroRecorder::kMaxKeyEvents - 4; ++i)
            recorder.onKey(0x41, i % 2 == 0);
        for (int vk : {0xA0, 0x41, 0x42})
            QVERIFY(recorder.onKey(vk, true).addKey);
        const QVector<MacroRecorder::Step> steps = recorder.releaseHeldKeys();
        QCOMPARE(steps.size(), 1);
        QCOMPARE(steps.last().name, QString("B"));
        QVERIFY(steps.last().limitReached);
        QVERIFY(!recorder.isActive());
        QVERIFY(recorder.releaseHeldKeys().isEmpty());
    }

    void idleRecorderAddsNothing()
    {
        MacroRecorder recorder(nameOf);
        const MacroRecorder::Step step = recorder.onKey(0x41, true);
        QVERIFY(!step.addKey && !step.addDelay);
        recorder.start();
        recorder.stop();
        QVERIFY(!recorder.onKey(0x41, true).addKey);
    }
};

QTEST_GUILESS_MAIN(TestMacroRecorder)
#include "tst_macrorecorder.moc"
