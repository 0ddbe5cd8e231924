#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "device/FlashDataMap.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"
#include "ui/sensor/DpiSnapper.h"

#include <QFile>
#include <QtTest>

#include <cstring>

namespace {

// "NAME=VALUE" entries, the way the sensor table lists them.
SensorDpiCodec::Context makeContext(const QString& sensor, const QStringList& table, int mode,
                                    const QList<int>& mins, const QList<int>& maxs)
{
    SensorDpiCodec::Context ctx;
    ctx.sensor = sensor;
    for (const QString& entry : table) {
        const QStringList parts = entry.split(QLatin1Char('='));
        ctx.names.append(parts.at(0));
        ctx.values.append(parts.at(1).toInt());
    }
    ctx.rangeMode = mode;
    ctx.rangeMins = mins.toVector();
    ctx.rangeMaxs = maxs.toVector();
    return ctx;
}

} // namespace

class tst_SensorDpiCodec : public QObject
{
    Q_OBJECT

private slots:
    void encodeDecode_data();
    void encodeDecode();
    void decodeStoredCodes_data();
    void decodeStoredCodes();
    void patchStageWritesOnlyItsRecord();
    void stageOutsideTheImage();
    void globalsAreTheDefaultContext();
    void shippedCatalogueRoundTrip();
};

void tst_SensorDpiCodec::encodeDecode_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("mins");
    QTest::addColumn<QList<int>>("maxs");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("decoded");

    const QStringList none;
    const QList<int> noBounds;
    const QList<int> fourMins{ 100, 1100, 2200, 4400 };
    const QList<int> fourMaxs{ 1000, 2000, 4000, 8000 };

    // Formula road.
    QTest::newRow("formula, mode 0") << "X" << none << 0 << noBounds << noBounds
                                     << 800 << true << 15 << 0 << 800;
    QTest::newRow("formula, mode 22 above first max")
        << "X" << none << 0x22 << QList<int>{ 50, 500 } << QList<int>{ 400, 1600 }
        << 800 << true << 7 << 0x22 << 800;
    QTest::newRow("formula, mode 22 within first max")
        << "X" << none << 0x22 << QList<int>{ 50, 500 } << QList<int>{ 400, 1600 }
        << 400 << true << 7 << 0 << 400;
    QTest::newRow("formula, mode 11 above first max")
        << "X" << none << 0x11 << QList<int>{ 50, 500 } << QList<int>{ 400, 1600 }
        << 1600 << true << 15 << 0x11 << 1600;
    QTest::newRow("formula, mode 22 without bounds")
        << "X" << none << 0x22 << noBounds << noBounds << 800 << true << 15 << 0 << 800;
    QTest::newRow("formula, unknown mode") << "X" << none << 0x44 << QList<int>{ 50 } << QList<int>{ 400 }
                                           << 800 << true << 15 << 0 << 800;
    QTest::newRow("mode 33 below every minimum")
        << "X" << none << 0x33 << fourMins << fourMaxs << 50 << true << 0 << 0 << 50;
    QTest::newRow("mode 33, segment 1") << "X" << none << 0x33 << fourMins << fourMaxs
                                        << 1000 << true << 19 << 0 << 1000;
    QTest::newRow("mode 33, segment 2") << "X" << none << 0x33 << fourMins << fourMaxs
                                        << 1200 << true << 11 << 0x22 << 1200;
    QTest::newRow("mode 33, segment 3") << "X" << none << 0x33 << fourMins << fourMaxs
                                        << 2400 << true << 23 << 0x11 << 2400;
    QTest::newRow("mode 33, segment 4") << "X" << none << 0x33 << fourMins << fourMaxs
                                        << 4800 << true << 23 << 0x33 << 4800;
    QTest::newRow("mode 33 with two segments")
        << "X" << none << 0x33 << QList<int>{ 100, 1100 } << QList<int>{ 1000, 2000 }
        << 4800 << true << 47 << 0x22 << 4800;
    QTest::newRow("3950 high code bits") << "3950" << none << 0 << noBounds << noBounds
                                         << 25600 << true << 255 << 0x44 << 25600;
    QTest::newRow("3395 high code bits") << "3395" << none << 0 << noBounds << noBounds
                                         << 12850 << true << 0 << 0x44 << 12850;
    QTest::newRow("3395 high bits beside range flags")
        << "3395" << none << 0x22 << QList<int>{ 50 } << QList<int>{ 10000 }
        << 26000 << true << 3 << (0x22 | 0x04 | 0x40) << 26000;
    // Codes beyond the record are clamped instead of wrapping to a small DPI.
    QTest::newRow("formula clamps at 8 bits") << "X" << none << 0 << noBounds << noBounds
                                              << 30000 << true << 255 << 0 << 12800;
    QTest::newRow("3395 clamps at 10 bits") << "3395" << none << 0 << noBounds << noBounds
                                            << 60000 << true << 255 << 0xCC << 51200;
    QTest::newRow("below the lowest code") << "X" << none << 0 << noBounds << noBounds
                                           << 40 << true << 0 << 0 << 50;
    QTest::newRow("negative") << "3950" << none << 0 << noBounds << noBounds
                              << -100 << true << 0 << 0 << 50;

    // Table road.
    const QStringList table{ "SENSOR_3395_DPI_400=0x7", "SENSOR_3395_DPI_800=16", "SENSOR_3395_DPI_500=4",
                             "SENSOR_OTHER_DPI_800=99" };
    QTest::newRow("table") << "3395" << table << 0 << noBounds << noBounds
                           << 800 << true << 16 << 0 << 800;
    QTest::newRow("table, mode 22 halves the key")
        << "3395" << table << 0x22 << QList<int>{ 50 } << QList<int>{ 800 }
        << 1000 << true << 4 << 0x22 << 1000;
    QTest::newRow("table, mode 33 quarters the key")
        << "3395" << table << 0x33 << QList<int>{ 100, 1100, 2200, 3000 } << QList<int>{ 1000, 2000, 2900, 8000 }
        << 3200 << true << 16 << 0x33 << 3200;
    QTest::newRow("table lacks the value") << "3395" << table << 0 << noBounds << noBounds
                                           << 850 << false << 0 << 0 << 0;
    QTest::newRow("table code beyond a byte")
        << "BIG" << QStringList{ "SENSOR_BIG_DPI_800=300" } << 0 << noBounds << noBounds
        << 800 << false << 0 << 0 << 0;
    // The DPI is read after the name's prefix, whatever letters the sensor name has.
    QTest::newRow("sensor name with capital I")
        << "PIXI" << QStringList{ "SENSOR_PIXI_DPI_1600=31", "SENSOR_PIXI_DPI_800=15" }
        << 0 << noBounds << noBounds << 800 << true << 15 << 0 << 800;
    QTest::newRow("only a non-DPI name: formula")
        << "3395" << QStringList{ "SENSOR_3395_DPI_MAX=5" } << 0 << noBounds << noBounds
        << 800 << true << 15 << 0 << 800;
    QTest::newRow("other sensor's table: formula")
        << "3950" << table << 0 << noBounds << noBounds << 800 << true << 15 << 0 << 800;
}

void tst_SensorDpiCodec::encodeDecode()
{
    QFETCH(QString, sensor);
    QFETCH(QStringList, table);
    QFETCH(int, mode);
    QFETCH(QList<int>, mins);
    QFETCH(QList<int>, maxs);
    QFETCH(int, dpi);
    QFETCH(bool, valid);
    QFETCH(int, code);
    QFETCH(int, flags);
    QFETCH(int, decoded);

    // "0x7" in a table entry is read the way the sensor table reads it.
    QStringList parsed;
    for (const QString& e : table) {
        const QStringList p = e.split(QLatin1Char('='));
        const int v = p.at(1).startsWith(QLatin1String("0x")) ? p.at(1).toInt(nullptr, 16) : p.at(1).toInt();
        parsed << p.at(0) + QLatin1Char('=') + QString::number(v);
    }
    const SensorDpiCodec::Context ctx = makeContext(sensor, parsed, mode, mins, maxs);
    const SensorDpiCodec::StageCode c = SensorDpiCodec::encode(ctx, dpi);
    QCOMPARE(c.valid, valid);
    if (!valid)
        return;
    QCOMPARE(int(c.code), code);
    QCOMPARE(int(c.flags), flags);
    QCOMPARE(SensorDpiCodec::decode(ctx, c.code, c.flags), decoded);
}

void tst_SensorDpiCodec::decodeStoredCodes_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("dpi");

    QTest::newRow("table hit") << "T" << 7 << 0 << 800;
    QTest::newRow("table code missing") << "T" << 8 << 0 << 0;
    QTest::newRow("first of equal codes") << "T" << 1 << 0 << 100;
    QTest::newRow("table, flags 11") << "T" << 7 << 0x11 << 1600;
    QTest::newRow("table, flags 33") << "T" << 7 << 0x33 << 3200;
    QTest::newRow("formula, flags 22") << "X" << 7 << 0x22 << 800;
    QTest::newRow("formula, flags 33") << "X" << 7 << 0x33 << 1600;
    // Only the two named sensors take code bits from the flags byte.
    QTest::newRow("high bits ignored elsewhere") << "X" << 255 << 0xC0 << 12800;
    QTest::newRow("3950 high bits") << "3950" << 255 << 0x44 << 25600;
    QTest::newRow("3395 all bits and flags") << "3395" << 255 << 0xFF << 204800;
}

void tst_SensorDpiCodec::decodeStoredCodes()
{
    QFETCH(QString, sensor);
    QFETCH(int, code);
    QFETCH(int, flags);
    QFETCH(int, dpi);
    const SensorDpiCodec::Context ctx = makeContext(
        sensor, { "SENSOR_T_DPI_100=1", "SENSOR_T_DPI_800=7", "SENSOR_T_DPI_150=1" }, 0, {}, {});
    QCOMPARE(SensorDpiCodec::decode(ctx, uint8_t(code), uint8_t(flags)), dpi);
}

void tst_SensorDpiCodec::patchStageWritesOnlyItsRecord()
{
    const SensorDpiCodec::Context ctx = makeContext("3950", {}, 0, {}, {});
    FlashDataMap image;
    std::memset(&image, 0xA5, sizeof image);
    FlashDataMap before = image;

    QVERIFY(SensorDpiCodec::patchStage(image, 7, 25600, ctx));
    const auto* bytes = reinterpret_cast<const unsigned char*>(&image);
    QCOMPARE(int(bytes[15 + 6 * 7]), 255);
    QCOMPARE(int(bytes[16 + 6 * 7]), 255);
    QCOMPARE(int(bytes[17 + 6 * 7]), 0x44);
    // Everything else, the stage's colour included, is as it was.
    std::memcpy(reinterpret_cast<unsigned char*>(&before) + 15 + 6 * 7, bytes + 15 + 6 * 7, 3);
    QCOMPARE(std::memcmp(&before, &image, sizeof image), 0);
    QCOMPARE(SensorDpiCodec::decodeStage(image, 7, ctx), 25600);
}

void tst_SensorDpiCodec::stageOutsideTheImage()
{
    const SensorDpiCodec::Context ctx = makeContext("X", {}, 0, {}, {});
    FlashDataMap image{};
    const FlashDataMap before = image;
    for (int stage : { -1, 8, 100 }) {
        QVERIFY(!SensorDpiCodec::patchStage(image, stage, 800, ctx));
        QVERIFY(!SensorDpiCodec::encodeStage(stage, 800, ctx).valid);
        QCOMPARE(SensorDpiCodec::decodeStage(image, stage, ctx), 0);
    }
    // A table sensor without the value leaves the record alone.
    const SensorDpiCodec::Context table = makeContext("T", { "SENSOR_T_DPI_800=7" }, 0, {}, {});
    QVERIFY(!SensorDpiCodec::patchStage(image, 0, 850, table));
    QCOMPARE(std::memcmp(&before, &image, sizeof image), 0);
}

void tst_SensorDpiCodec::globalsAreTheDefaultContext()
{
    g_SensorDefineNames = { QStringLiteral("SENSOR_G_DPI_1000") };
    g_SensorDefineValues = { 3 };
    g_SensorName = QStringLiteral("G");
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange({ "100", "1000", "100", "1100", "2000", "100", "22" }));

    const SensorDpiCodec::StageCode c = SensorDpiCodec::encodeStage(2, 2000);
    QVERIFY(c.valid);
    QCOMPARE(int(c.code), 3);
    QCOMPARE(int(c.flags), 0x22);

    FlashDataMap image{};
    QVERIFY(SensorDpiCodec::patchStage(image, 2, 2000));
    QCOMPARE(SensorDpiCodec::decodeStage(image, 2), 2000);

    g_SensorDefineNames.clear();
    g_SensorDefineValues.clear();
    g_SensorName.clear();
    SensorDpiTables::applyDpiRange(DpiRangeTable());
}

// Every value the stage editors can snap to, for every model of the shipped
// catalogue, must survive encode and decode unchanged.
void tst_SensorDpiCodec::shippedCatalogueRoundTrip()
{
    const QString appDir = QStringLiteral(DESKLINK_APP_DIR);
    const QString iniPath = appDir + QStringLiteral("/usersetting/Config.ini");
    const QString sensorPath = appDir + QStringLiteral("/driver_sensor.h");
    if (!QFile::exists(iniPath) || !QFile::exists(sensorPath))
        QSKIP("the shipped catalogue is not laid out beside the program");

    const SensorDefineTable defines = SensorDpiTables::readDriverSensor(sensorPath);
    QVERIFY(!defines.names.isEmpty());

    AppPaths::setApplicationDirOverride(appDir);
    ConfigSettings::resetForTests();
    ConfigSettings* config = ConfigSettings::instance();
    const int total = config->value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")).toInt();
    QVERIFY(total > 0);

    int checked = 0;
    for (int model = 1; model <= total; ++model) {
        const QString group = QStringLiteral("Drive%1").arg(model);
        const QString sensor = config->value(group, QStringLiteral("Sensor"));
        const DpiRangeTable range = SensorDpiTables::parseDpiRange(
            config->valueList(group, QStringLiteral("DPIRange")));
        QVERIFY2(range.hasSegments(), qPrintable(group));

        SensorDpiCodec::Context ctx;
        ctx.names = defines.names;
        ctx.values = defines.values;
        ctx.sensor = sensor;
        ctx.rangeMode = range.mode;
        ctx.rangeMins = range.mins;
        ctx.rangeMaxs = range.maxs;

        QVector<DpiSegment> segments;
        for (int k = 0; k < range.count; ++k)
            segments.append({ range.mins.at(k), range.maxs.at(k), range.stepTexts.at(k).toInt() });
        const DpiSnapper snapper(segments);

        QSet<int> values;
        for (int v = range.mins.first(); v <= range.maxs.last(); ++v)
            values.insert(snapper.snap(v).value);
        for (int v : values) {
            const SensorDpiCodec::StageCode c = SensorDpiCodec::encode(ctx, v);
            const QByteArray where = QStringLiteral("%1 (sensor %2) at %3 DPI").arg(group, sensor).arg(v).toUtf8();
            QVERIFY2(c.valid, where.constData());
            if (!SensorDpiCodec::hasHighCodeBits(sensor))
                QVERIFY2((c.flags & 0xCC) == 0, where.constData());
            QVERIFY2(SensorDpiCodec::decode(ctx, c.code, c.flags) == v, where.constData());
            ++checked;
        }
    }
    QVERIFY(checked > total);
    ConfigSettings::resetForTests();
    AppPaths::setApplicationDirOverride(QString());
}

QTEST_GUILESS_MAIN(tst_SensorDpiCodec)
#include "tst_sensordpicodec.moc"
