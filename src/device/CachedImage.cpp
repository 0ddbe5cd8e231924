#include "device/CachedImage.h"

#include "app/Globals.h"
#include "core/ConfigSettings.h"
#include "device/DeviceCache.h"
#include "device/ImageFieldCodes.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"

namespace {
// What the DPI editor spans when the model's "DPIRange" is unusable.
constexpr int kEditorMinDpi = 50;
constexpr int kEditorMaxDpi = 32000;
constexpr int kMaxSensorMode = 2;   // Corded, HP, LP
constexpr int kMaxLiftOff = 3;      // 1 mm, 2 mm and the low entry
}

bool CachedImage::load(const QString& name, FlashDataMap* out)
{
    FlashDataMap cached;
    if (!LoadDeviceCache(name, &cached) || !fieldsInRange(cached, currentDeviceCopy()))
        return false;
    if (out)
        *out = cached;
    return true;
}

bool CachedImage::fieldsInRange(const FlashDataMap& image, const DeviceAllInfo& device)
{
    ConfigSettings* config = ConfigSettings::instance();
    const QString group = QStringLiteral("Drive") + QString::number(device.modelIndex + 1);

    int stages = SensorDpiTables::usableStageCount(config->value(group, QStringLiteral("DPIMaxGrade")));
    if (stages == 0)
        stages = FlashDataMap::kDpiStageCount;
    if (image.dpiStageCount < 1 || image.dpiStageCount > stages || image.activeDpiStage >= image.dpiStageCount)
        return false;
    if (ImageFieldCodes::rateIndex(image.reportRate) < 0 || image.sensorMode > kMaxSensorMode)
        return false;
    if (image.liftOffDistance < 1 || image.liftOffDistance > kMaxLiftOff
        || image.debounceTime >= ImageFieldCodes::kDebounceEntries
        || ImageFieldCodes::durationEntry(image.performanceModeTime) < 0)
        return false;

    // Decoded as the sensor page decodes them, without touching its tables.
    const DpiRangeTable range = SensorDpiTables::parseDpiRange(config->valueList(group, QStringLiteral("DPIRange")));
    const SensorDefineTable table = SensorDpiTables::readDriverSensor(SensorDpiTables::driverSensorPath());
    SensorDpiCodec::Context codec;
    codec.names = table.names;
    codec.values = table.values;
    codec.sensor = config->value(group, QStringLiteral("Sensor"));
    codec.rangeMode = range.mode;
    codec.rangeMins = range.mins;
    codec.rangeMaxs = range.maxs;
    const int minDpi = range.hasSegments() ? range.firstMinText().toInt() : kEditorMinDpi;
    const int maxDpi = range.hasSegments() ? range.lastMaxText().toInt() : kEditorMaxDpi;
    for (int i = 0; i < image.dpiStageCount; ++i) {
        const int dpi = SensorDpiCodec::decodeStage(image, i, codec);
        if (dpi <= 0 || dpi < minDpi || dpi > maxDpi)
            return false;
    }
    return true;
}
