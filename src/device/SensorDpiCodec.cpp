#include "device/SensorDpiCodec.h"

#include "device/FlashDataMap.h"
#include "device/SensorDpiTables.h"

#include <limits>

namespace {

constexpr uint8_t kFlagDouble = 0x22;
constexpr uint8_t kFlagDoubleAgain = 0x11;

QString tablePrefix(const QString& sensor)
{
    return QStringLiteral("SENSOR_") + sensor + QStringLiteral("_DPI_");
}

// The DPI of a table entry: the decimal number after the prefix; -1 when the
// name is not an entry of this sensor. Reading after the prefix (not after some
// letter) keeps sensor names that contain capitals of their own working.
int entryDpi(const QString& name, const QString& prefix)
{
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return -1;
    for (int i = prefix.size(); i < name.size(); ++i) {
        const ushort c = name.at(i).unicode();
        if (c < '0' || c > '9')
            return -1;
    }
    bool ok = false;
    const int dpi = name.midRef(prefix.size()).toInt(&ok, 10);
    return ok ? dpi : -1;
}

// Range flags and multiplier the model's range mode gives a DPI value.
void rangeFor(const SensorDpiCodec::Context& ctx, int dpi, uint8_t* flags, int* multiplier)
{
    *flags = 0;
    *multiplier = 1;
    if (ctx.rangeMode == 0x33) {
        static const uint8_t flagsBySegment[4] = { 0x00, 0x22, 0x11, 0x33 };
        static const int multiplierBySegment[4] = { 1, 2, 2, 4 };
        const int last = qMin(ctx.rangeMins.size(), 4) - 1;
        for (int k = last; k >= 0; --k) {
            if (dpi >= ctx.rangeMins.at(k)) {
                *flags = flagsBySegment[k];
                *multiplier = multiplierBySegment[k];
                return;
            }
        }
    } else if (ctx.rangeMode == 0x22 || ctx.rangeMode == 0x11) {
        if (!ctx.rangeMaxs.isEmpty() && dpi > ctx.rangeMaxs.first()) {
            *flags = static_cast<uint8_t>(ctx.rangeMode);
            *multiplier = 2;
        }
    }
}

} // namespace

SensorDpiCodec::Context SensorDpiCodec::Context::fromGlobals()
{
    Context ctx;
    ctx.names = g_SensorDefineNames;
    ctx.values = g_SensorDefineValues;
    ctx.sensor = g_SensorName;
    ctx.rangeMode = g_DpiRangeMode;
    ctx.rangeMins = g_DpiRangeMins;
    ctx.rangeMaxs = g_DpiRangeMaxs;
    return ctx;
}

bool SensorDpiCodec::hasHighCodeBits(const QString& sensor)
{
    return sensor == QLatin1String("3395") || sensor == QLatin1String("3950");
}

bool SensorDpiCodec::hasTable(const Context& ctx)
{
    const QString prefix = tablePrefix(ctx.sensor);
    for (const QString& name : ctx.names) {
        if (entryDpi(name, prefix) >= 0)
            return true;
    }
    return false;
}

int SensorDpiCodec::decode(const Context& ctx, uint8_t code, uint8_t flags)
{
    qint64 dpi = 0;
    if (hasTable(ctx)) {
        const QString prefix = tablePrefix(ctx.sensor);
        const int n = qMin(ctx.names.size(), ctx.values.size());
        for (int i = 0; i < n; ++i) {
            const int entry = entryDpi(ctx.names.at(i), prefix);
            if (entry >= 0 && ctx.values.at(i) == code) {
                dpi = entry;
                if (flags & kFlagDouble)
                    dpi *= 2;
                break;
            }
        }
    } else {
        int v = code;
        if (hasHighCodeBits(ctx.sensor))
            v |= (flags & 0xC0) << 2;
        dpi = (v + 1) * ((flags & kFlagDouble) ? 100 : 50);
    }
    if (flags & kFlagDoubleAgain)
        dpi *= 2;
    return static_cast<int>(qMin<qint64>(dpi, std::numeric_limits<int>::max()));
}

SensorDpiCodec::StageCode SensorDpiCodec::encode(const Context& ctx, int dpi)
{
    StageCode out;
    uint8_t flags = 0;
    int m = 1;
    rangeFor(ctx, dpi, &flags, &m);

    if (hasTable(ctx)) {
        const QString key = tablePrefix(ctx.sensor) + QString::number(dpi / m);
        const int n = qMin(ctx.names.size(), ctx.values.size());
        for (int i = 0; i < n; ++i) {
            if (ctx.names.at(i) != key)
                continue;
            const int value = ctx.values.at(i);
            // A code the record cannot hold would read back as another DPI.
            if (value < 0 || value > 0xFF)
                return out;
            out.valid = true;
            out.code = static_cast<uint8_t>(value);
            out.flags = flags;
            return out;
        }
        // No entry: every other code means some other DPI of this sensor.
        return out;
    }

    const bool high = hasHighCodeBits(ctx.sensor);
    const int maxCode = high ? 0x3FF : 0xFF;
    long long code = static_cast<long long>(dpi) / (50LL * m) - 1;
    if (code < 0)
        code = 0;
    if (code > maxCode)
        code = maxCode;
    if (high) {
        const int h = static_cast<int>(code >> 8);
        flags = static_cast<uint8_t>(flags | (h << 2) | (h << 6));
    }
    out.valid = true;
    out.code = static_cast<uint8_t>(code & 0xFF);
    out.flags = flags;
    return out;
}

SensorDpiCodec::StageCode SensorDpiCodec::encodeStage(int stage, int dpi, const Context& ctx)
{
    if (stage < 0 || stage >= FlashDataMap::kDpiStageCount)
        return StageCode();
    return encode(ctx, dpi);
}

int SensorDpiCodec::decodeStage(const FlashDataMap& image, int stage, const Context& ctx)
{
    if (stage < 0 || stage >= FlashDataMap::kDpiStageCount)
        return 0;
    const DpiStageRecord& record = image.dpiStages[stage];
    return decode(ctx, record.xCode, record.rangeFlags);
}

bool SensorDpiCodec::patchStage(FlashDataMap& image, int stage, int dpi, const Context& ctx)
{
    const StageCode c = encodeStage(stage, dpi, ctx);
    if (!c.valid)
        return false;
    DpiStageRecord& record = image.dpiStages[stage];
    record.xCode = c.code;
    record.yCode = c.code;
    record.rangeFlags = c.flags;
    return true;
}
