// "driver_sensor.h": the sensor table loader, read from a file as at start-up,
// and the stage DPI codec on the table it gives for a sensor the file names.
#include "FuzzSupport.h"

#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"

#include <QRegularExpression>

namespace {

// Codec calls per input; each call walks the whole table.
constexpr int kMaxProbes = 24;

QString tableSensor(const QVector<QString>& names)
{
    static const QRegularExpression entry(QStringLiteral("^SENSOR_(.+)_DPI_[0-9]+$"));
    for (const QString& name : names) {
        const QRegularExpressionMatch m = entry.match(name);
        if (m.hasMatch())
            return m.captured(1);
    }
    return QStringLiteral("3950");  // no table: the formula, with its high code bits
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzSupport::appDir() + QStringLiteral("/driver_sensor.h");
    FuzzSupport::writeFile(path, FuzzSupport::bytes(data, size));

    const SensorDefineTable table = SensorDpiTables::readDriverSensor(path);
    if (table.names.size() != table.values.size())
        FuzzSupport::fail("names and values out of step");

    SensorDpiCodec::Context ctx;
    ctx.names = table.names;
    ctx.values = table.values;
    ctx.sensor = tableSensor(table.names);
    for (const QString* list : {&table.sensorModeSel, &table.lodCal, &table.ripple, &table.fixLine,
                                &table.motionSync, &table.mousepadCal})
        (void)SensorDpiTables::listNames(*list, ctx.sensor);

    const int n = qMin(table.values.size(), kMaxProbes);
    for (int rangeMode : {0x00, 0x22, 0x33}) {
        ctx.rangeMode = rangeMode;
        ctx.rangeMins = {50, 10100, 20200, 26400};
        ctx.rangeMaxs = {10000, 20000, 26000, 30000};
        for (int i = 0; i < n; ++i) {
            const int value = table.values.at(i);
            for (uint8_t flags : {0x00, 0x22, 0x33, 0xC0})
                (void)SensorDpiCodec::decode(ctx, uint8_t(value), flags);
            const int dpi = table.names.at(i).section(QLatin1Char('_'), -1).toInt();
            const SensorDpiCodec::StageCode code = SensorDpiCodec::encode(ctx, dpi);
            if (code.valid)
                (void)SensorDpiCodec::decode(ctx, code.code, code.flags);
            (void)SensorDpiCodec::encode(ctx, value);
        }
    }
    return 0;
}
