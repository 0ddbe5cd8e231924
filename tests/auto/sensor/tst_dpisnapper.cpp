#include "device/SensorDpiTables.h"
#include "ui/sensor/DpiSnapper.h"

#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(DpiSnapper)

namespace {

// 50..10000 step 50 and 10100..26000 step 100: the usual two-segment model.
DpiSnapper twoSegments()
{
    return DpiSnapper({ { 50, 10000, 50 }, { 10100, 26000, 100 } });
}

// A gap wider than a step: 50..10000 step 50, 12000..26000 step 200.
DpiSnapper wideGap()
{
    return DpiSnapper({ { 50, 10000, 50 }, { 12000, 26000, 200 } });
}

} // namespace

class tst_DpiSnapper : public QObject
{
    Q_OBJECT

private slots:
    void snap_data();
    void snap();
    void stepButtons_data();
    void stepButtons();
    void fromGlobals();
};

void tst_DpiSnapper::snap_data()
{
    QTest::addColumn<DpiSnapper>("snapper");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("snapped");
    QTest::addColumn<int>("pageStep");

    QTest::newRow("inside first") << twoSegments() << 1234 << 1200 << 50;
    QTest::newRow("just below first max") << twoSegments() << 9999 << 9950 << 50;
    QTest::newRow("first max") << twoSegments() << 10000 << 10000 << 50;
    QTest::newRow("gap") << twoSegments() << 10070 << 10100 << 100;
    QTest::newRow("inside second") << twoSegments() << 12345 << 12300 << 100;
    QTest::newRow("below every segment") << twoSegments() << 40 << 40 << 0;
    QTest::newRow("above every segment") << twoSegments() << 30000 << 30000 << 0;
    QTest::newRow("no segments") << DpiSnapper() << 1234 << 1234 << 0;
    QTest::newRow("five segments are not used")
        << DpiSnapper({ { 50, 100, 50 }, { 150, 200, 50 }, { 250, 300, 50 }, { 350, 400, 50 }, { 450, 500, 50 } })
        << 175 << 175 << 0;
    // A segment must not snap a value out of itself (to 0 here).
    QTest::newRow("minimum not a multiple of the step")
        << DpiSnapper({ { 50, 12000, 100 } }) << 90 << 50 << 100;
    QTest::newRow("multiples counted from 0")
        << DpiSnapper({ { 50, 12000, 100 } }) << 1290 << 1200 << 100;
    QTest::newRow("step 0 leaves the value") << DpiSnapper({ { 50, 1000, 0 } }) << 123 << 123 << 0;
    QTest::newRow("negative step leaves the value") << DpiSnapper({ { 50, 1000, -50 } }) << 123 << 123 << 0;
    QTest::newRow("gap before a segment without step")
        << DpiSnapper({ { 50, 1000, 50 }, { 2000, 3000, 0 } }) << 1500 << 1500 << 0;
}

void tst_DpiSnapper::snap()
{
    QFETCH(DpiSnapper, snapper);
    QFETCH(int, value);
    QFETCH(int, snapped);
    QFETCH(int, pageStep);
    const DpiSnapper::Snapped s = snapper.snap(value);
    QCOMPARE(s.value, snapped);
    QCOMPARE(s.pageStep, pageStep);
}

void tst_DpiSnapper::stepButtons_data()
{
    QTest::addColumn<DpiSnapper>("snapper");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");

    QTest::newRow("inside first") << twoSegments() << 800 << 850 << 750;
    QTest::newRow("first max") << twoSegments() << 10000 << 10100 << 9950;
    QTest::newRow("gap") << twoSegments() << 10050 << 10100 << 10100;
    QTest::newRow("second min") << twoSegments() << 10100 << 10200 << 10000;
    QTest::newRow("last max") << twoSegments() << 26000 << 26100 << 25900;
    QTest::newRow("first min") << twoSegments() << 50 << 100 << 0;
    QTest::newRow("outside") << twoSegments() << 30000 << 30000 << 30000;
    QTest::newRow("no segments") << DpiSnapper() << 800 << 800 << 800;
    // Stepping down from the bottom of a segment above a wide gap lands on the
    // segment below instead of in the gap (which the snap would undo).
    QTest::newRow("wide gap, second min") << wideGap() << 12000 << 12200 << 10000;
    QTest::newRow("wide gap, inside gap") << wideGap() << 11000 << 12000 << 12000;
    QTest::newRow("step 0 stays") << DpiSnapper({ { 50, 1000, 0 } }) << 500 << 500 << 500;
    QTest::newRow("no overflow")
        << DpiSnapper({ { 0, std::numeric_limits<int>::max(), 1000 } }) << std::numeric_limits<int>::max() - 1
        << std::numeric_limits<int>::max() << std::numeric_limits<int>::max() - 1001;
}

void tst_DpiSnapper::stepButtons()
{
    QFETCH(DpiSnapper, snapper);
    QFETCH(int, value);
    QFETCH(int, up);
    QFETCH(int, down);
    QCOMPARE(snapper.stepUp(value), up);
    QCOMPARE(snapper.stepDown(value), down);
}

void tst_DpiSnapper::fromGlobals()
{
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange(
        { "50", "10000", "50", "10100", "26000", "100", "22" }));
    QCOMPARE(DpiSnapper::fromGlobals().snap(10070).value, 10100);

    // The texts are read at every use, as the page left them.
    g_DpiRange2Step = QStringLiteral("200");
    QCOMPARE(DpiSnapper::fromGlobals().snap(12345).value, 12200);
    g_DpiRange2Step = QStringLiteral("x");
    QCOMPARE(DpiSnapper::fromGlobals().snap(12345).value, 12345);

    g_DpiRangeCount = 5;
    QVERIFY(DpiSnapper::fromGlobals().segments().isEmpty());
    g_DpiRangeCount = 0;
    QCOMPARE(DpiSnapper::fromGlobals().snap(1234).value, 1234);
}

QTEST_GUILESS_MAIN(tst_DpiSnapper)
#include "tst_dpisnapper.moc"
