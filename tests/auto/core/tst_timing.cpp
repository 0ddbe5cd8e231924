#include "core/Timing.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class tst_Timing : public QObject
{
    Q_OBJECT

private slots:
    void scaled_data();
    void scaled();
    void pumpUntilStopsEarly();
    void pumpEventsDeliversTimers();
    void pumpEventsPumpsAtLeastOnce();
};

void tst_Timing::scaled_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("expected");
    QTest::newRow("unscaled") << 1.0 << 2500 << 2500;
    QTest::newRow("tenth") << 0.1 << 2500 << 250;
    QTest::newRow("zero scale") << 0.0 << 2000 << 0;
    QTest::newRow("negative wait") << 1.0 << -5 << 0;
}

void tst_Timing::scaled()
{
    QFETCH(double, factor);
    QFETCH(int, ms);
    QFETCH(int, expected);
    const double old = Timing::scale();
    Timing::setScale(factor);
    QCOMPARE(Timing::scaled(ms), expected);
    Timing::setScale(old);
}

void tst_Timing::pumpUntilStopsEarly()
{
    Timing::setScale(1.0);
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    // Far from the limit however busy the machine is: only waiting it out would reach it.
    constexpr int kLimitMs = 60000;
    QVERIFY(Timing::pumpUntil([&] { return fired; }, kLimitMs));
    QVERIFY(clock.elapsed() < kLimitMs / 2);
}

void tst_Timing::pumpEventsDeliversTimers()
{
    Timing::setScale(1.0);
    int count = 0;
    QTimer t;
    connect(&t, &QTimer::timeout, [&] { ++count; });
    t.start(10);
    QElapsedTimer clock;
    clock.start();
    Timing::pumpEvents(120);
    // Pumped for the whole time, and at least once after the timer was due, even
    // when the machine held the thread longer than that time.
    QVERIFY(clock.elapsed() >= 120);
    QVERIFY(count >= 1);
}

void tst_Timing::pumpEventsPumpsAtLeastOnce()
{
    Timing::setScale(1.0);
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    Timing::pumpEvents(0);
    QVERIFY(delivered);
}

QTEST_MAIN(tst_Timing)
#include "tst_timing.moc"
