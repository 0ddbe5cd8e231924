#include "device/SensorDpiTables.h"

#include <QtTest>

class tst_SensorDpiTables : public QObject
{
    Q_OBJECT

private slots:
    void definitionLines_data();
    void definitionLines();
    void featureLists();
    void fileWithCrlfAndNoFinalLineBreak();
    void missingFileLoadsNothing();
    void loadAppendsToGlobals();

    void dpiRange_data();
    void dpiRange();
    void applyKeepsTextsForUnusableCount();

    void usableStageCount_data();
    void usableStageCount();
};

// One line of the sensor table (with its line break) and what the table gains.
void tst_SensorDpiTables::definitionLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("values");

    QTest::newRow("hex value") << "#define SENSOR_3395_DPI_800\t0x10\n"
                               << QStringList{ "SENSOR_3395_DPI_800" } << QList<int>{ 16 };
    QTest::newRow("decimal value") << "#define SENSOR_3395_DPI_800\t16\n"
                                   << QStringList{ "SENSOR_3395_DPI_800" } << QList<int>{ 16 };
    // A trailing comment must not turn a hexadecimal code into 0.
    QTest::newRow("hex value, comment") << "#define SENSOR_3395_DPI_800\t0x10 //x\n"
                                        << QStringList{ "SENSOR_3395_DPI_800" } << QList<int>{ 16 };
    QTest::newRow("decimal value, comment") << "#define SENSOR_A_DPI_50\t7 //note\n"
                                            << QStringList{ "SENSOR_A_DPI_50" } << QList<int>{ 7 };
    QTest::newRow("value not a number") << "#define SENSOR_A_DPI_50\tseven\n"
                                        << QStringList{ "SENSOR_A_DPI_50" } << QList<int>{ 0 };
    QTest::newRow("blanks around") << "   #define   SENSOR_A_DPI_50\t3   \n"
                                   << QStringList{ "SENSOR_A_DPI_50" } << QList<int>{ 3 };
    QTest::newRow("last line without line break") << "#define SENSOR_A_DPI_50\t3"
                                                   << QStringList{ "SENSOR_A_DPI_50" } << QList<int>{ 3 };

    QTest::newRow("not a define") << "#undef SENSOR_A_DPI_50\t3\n" << QStringList() << QList<int>();
    QTest::newRow("no tab") << "#define SENSOR_A_DPI_50\n" << QStringList() << QList<int>();
    QTest::newRow("two tabs") << "#define SENSOR_A\t1\t2\n" << QStringList() << QList<int>();
    QTest::newRow("three tokens, no comment") << "#define SENSOR_A_DPI_50\t3 4\n"
                                              << QStringList() << QList<int>();
    QTest::newRow("comment of several words") << "#define SENSOR_A_DPI_50\t3 // a b\n"
                                              << QStringList() << QList<int>();
    QTest::newRow("comment line") << "// SENSOR_A_DPI_50 3\n" << QStringList() << QList<int>();
    QTest::newRow("empty") << "\n" << QStringList() << QList<int>();
    QTest::newRow("list line") << "#define SUPPORT_RIPPLE\t3395\n" << QStringList() << QList<int>();
}

void tst_SensorDpiTables::definitionLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, values);

    const SensorDefineTable t = SensorDpiTables::parseDriverSensor(line);
    QCOMPARE(QStringList(t.names.toList()), names);
    QCOMPARE(t.values.toList(), values);
}

void tst_SensorDpiTables::featureLists()
{
    const QString text = QStringLiteral(
        "#define SUPPORT_SENSOR_MODE_SEL\t3950,3395\n"
        "#define SUPPORT_LOD_CAL\t3950\n"
        "#define SUPPORT_RIPPLE\tOTS24\n"
        "#define SENSOR_3950_DPI_100\t1\n"
        "anything SUPPORT_FIXLINE\tOTS12,OTS24\n"  // the first token is not looked at
        "#define SUPPORT_MOTION_SYNC\n"            // no value: skipped
        "#define SUPPORT_MOUSEPAD_CAL\t3950\n"
        "#define SUPPORT_RIPPLE\t3395\n");         // a later line replaces the list
    const SensorDefineTable t = SensorDpiTables::parseDriverSensor(text);

    QCOMPARE(t.sensorModeSel, QStringLiteral("3950,3395"));
    QCOMPARE(t.lodCal, QStringLiteral("3950"));
    QCOMPARE(t.ripple, QStringLiteral("3395"));
    QCOMPARE(t.fixLine, QStringLiteral("OTS12,OTS24"));
    QCOMPARE(t.motionSync, QString());
    QCOMPARE(t.mousepadCal, QStringLiteral("3950"));
    QCOMPARE(t.names, QVector<QString>{ QStringLiteral("SENSOR_3950_DPI_100") });

    QVERIFY(SensorDpiTables::listNames(t.lodCal, QStringLiteral("3950")));
    QVERIFY(!SensorDpiTables::listNames(t.lodCal, QStringLiteral("3395")));
    // A model without a sensor name is offered every listed feature.
    QVERIFY(SensorDpiTables::listNames(t.lodCal, QString()));
}

void tst_SensorDpiTables::fileWithCrlfAndNoFinalLineBreak()
{
    const SensorDefineTable t = SensorDpiTables::readDriverSensor(
        QStringLiteral(DESKLINK_TEST_DATA_DIR "/sensor/driver_sensor_crlf.h"));
    QCOMPARE(t.ripple, QStringLiteral("S1,S2"));
    QCOMPARE(t.names, (QVector<QString>{ "SENSOR_S1_DPI_400", "SENSOR_S1_DPI_800", "SENSOR_S1_DPI_1600" }));
    QCOMPARE(t.values, (QVector<int>{ 7, 15, 31 }));
}

void tst_SensorDpiTables::missingFileLoadsNothing()
{
    const SensorDefineTable t = SensorDpiTables::readDriverSensor(QStringLiteral("/nonexistent/driver_sensor.h"));
    QVERIFY(t.names.isEmpty());
    QVERIFY(t.values.isEmpty());
    QVERIFY(t.sensorModeSel.isEmpty());
}

void tst_SensorDpiTables::loadAppendsToGlobals()
{
    g_SensorDefineNames.clear();
    g_SensorDefineValues.clear();
    const QString path = QStringLiteral(DESKLINK_TEST_DATA_DIR "/sensor/driver_sensor_crlf.h");
    const SensorDefineTable t = SensorDpiTables::loadIntoGlobals(path);
    QCOMPARE(t.ripple, QStringLiteral("S1,S2"));
    QCOMPARE(g_SensorDefineNames.size(), 3);
    QCOMPARE(g_SensorDefineValues, (QVector<int>{ 7, 15, 31 }));
    g_SensorDefineNames.clear();
    g_SensorDefineValues.clear();
}

void tst_SensorDpiTables::dpiRange_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("mins");
    QTest::addColumn<QList<int>>("maxs");
    QTest::addColumn<QString>("firstMin");
    QTest::addColumn<QString>("lastMax");

    QTest::newRow("one segment, mode 00")
        << QStringList{ "100", "12000", "100", "00" } << 0 << 1
        << QList<int>{ 100 } << QList<int>{ 12000 } << "100" << "12000";
    QTest::newRow("two segments, mode 22")
        << QStringList{ "50", "10000", "50", "10100", "26000", "100", "22" } << 0x22 << 2
        << QList<int>{ 50, 10100 } << QList<int>{ 10000, 26000 } << "50" << "26000";
    QTest::newRow("four segments, mode 33")
        << QStringList{ "50", "1000", "50", "1100", "2000", "100", "2200", "4000", "200", "4400", "8000", "400", "33" }
        << 0x33 << 4 << QList<int>{ 50, 1100, 2200, 4400 } << QList<int>{ 1000, 2000, 4000, 8000 }
        << "50" << "8000";
    QTest::newRow("extra item before the mode")
        << QStringList{ "50", "1000", "50", "7", "11" } << 0x11 << 1
        << QList<int>{ 50 } << QList<int>{ 1000 } << "50" << "1000";
    QTest::newRow("five segments")
        << QStringList{ "1", "2", "1", "3", "4", "1", "5", "6", "1", "7", "8", "1", "9", "10", "1", "33" }
        << 0x33 << 5 << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("mode only") << QStringList{ "22" } << 0x22 << 0 << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("missing") << QStringList() << 0 << 0 << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("mode not hexadecimal")
        << QStringList{ "50", "1000", "50", "zz" } << 0 << 1
        << QList<int>{ 50 } << QList<int>{ 1000 } << "50" << "1000";
    // Segments that cannot be used make the whole list unusable.
    QTest::newRow("bounds not numbers")
        << QStringList{ "a", "b", "c", "00" } << 0 << 0 << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("step not a number")
        << QStringList{ "50", "1000", "50", "1100", "2000", "x", "22" } << 0x22 << 0
        << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("zero step")
        << QStringList{ "50", "1000", "0", "11" } << 0x11 << 0 << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("backward segment")
        << QStringList{ "10000", "50", "50", "00" } << 0 << 0 << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("overlapping segments")
        << QStringList{ "50", "10000", "50", "9000", "20000", "100", "22" } << 0x22 << 0
        << QList<int>() << QList<int>() << "" << "";
    QTest::newRow("zero minimum")
        << QStringList{ "0", "1000", "50", "00" } << 0 << 0 << QList<int>() << QList<int>() << "" << "";
}

void tst_SensorDpiTables::dpiRange()
{
    QFETCH(QStringList, items);
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(QList<int>, mins);
    QFETCH(QList<int>, maxs);
    QFETCH(QString, firstMin);
    QFETCH(QString, lastMax);

    const DpiRangeTable r = SensorDpiTables::parseDpiRange(items);
    QCOMPARE(r.mode, mode);
    QCOMPARE(r.count, count);
    QCOMPARE(r.mins.toList(), mins);
    QCOMPARE(r.maxs.toList(), maxs);
    QCOMPARE(r.firstMinText(), firstMin);
    QCOMPARE(r.lastMaxText(), lastMax);

    SensorDpiTables::applyDpiRange(r);
    QCOMPARE(g_DpiRangeMode, mode);
    QCOMPARE(g_DpiRangeCount, count);
    QCOMPARE(g_DpiRangeMins.toList(), mins);
    QCOMPARE(g_DpiRangeMaxs.toList(), maxs);
}

void tst_SensorDpiTables::applyKeepsTextsForUnusableCount()
{
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange(
        { "50", "10000", "50", "10100", "26000", "100", "22" }));
    QCOMPARE(g_DpiRange1Min, QStringLiteral("50"));
    QCOMPARE(g_DpiRange1Max, QStringLiteral("10000"));
    QCOMPARE(g_DpiRange1Step, QStringLiteral("50"));
    QCOMPARE(g_DpiRange2Min, QStringLiteral("10100"));
    QCOMPARE(g_DpiRange2Max, QStringLiteral("26000"));
    QCOMPARE(g_DpiRange2Step, QStringLiteral("100"));

    // A list the editor cannot use leaves the texts; the count tells it not to snap.
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange({ "22" }));
    QCOMPARE(g_DpiRangeCount, 0);
    QVERIFY(g_DpiRangeMins.isEmpty());
    QCOMPARE(g_DpiRange2Max, QStringLiteral("26000"));

    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange({ "100", "6400", "100", "11" }));
    QCOMPARE(g_DpiRange1Max, QStringLiteral("6400"));
    QCOMPARE(g_DpiRange2Max, QStringLiteral("26000"));  // not part of this model, not read
}

void tst_SensorDpiTables::usableStageCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("6") << "6" << 6;
    QTest::newRow("8") << "8" << 8;
    QTest::newRow("more than the image holds") << "12" << 8;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("not a number") << "six" << 0;
}

void tst_SensorDpiTables::usableStageCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(SensorDpiTables::usableStageCount(text), count);
}

QTEST_GUILESS_MAIN(tst_SensorDpiTables)
#include "tst_sensordpitables.moc"
