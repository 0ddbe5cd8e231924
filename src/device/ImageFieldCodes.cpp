#include "device/ImageFieldCodes.h"

#include "device/FlashDataMap.h"

namespace {
const uint8_t kRateCodes[ImageFieldCodes::kRateCount] = {
    FlashDataMap::kRate125,  FlashDataMap::kRate250,  FlashDataMap::kRate500, FlashDataMap::kRate1000,
    FlashDataMap::kRate2000, FlashDataMap::kRate4000, FlashDataMap::kRate8000,
};

constexpr int kDurationCodes[ImageFieldCodes::kDurationCount] = {3, 6, 12, 30, 60, 90};
}

uint8_t ImageFieldCodes::rateCode(int index)
{
    return index >= 0 && index < kRateCount ? kRateCodes[index] : 0;
}

int ImageFieldCodes::rateIndex(int code)
{
    for (int i = 0; i < kRateCount; ++i) {
        if (kRateCodes[i] == code)
            return i;
    }
    return -1;
}

int ImageFieldCodes::durationCode(int entry)
{
    return entry >= 0 && entry < kDurationCount ? kDurationCodes[entry] : 0;
}

int ImageFieldCodes::durationEntry(int code)
{
    for (int i = 0; i < kDurationCount; ++i) {
        if (kDurationCodes[i] == code)
            return i;
    }
    return -1;
}

bool ImageFieldCodes::lightsOffered(const FlashDataMap& image)
{
    const LedBarSettings& bar = image.ledBar;
    const DpiLedSettings& dpi = image.dpiLed;
    return bar.on <= 1 && bar.mode < kLightBarModes && bar.speed < kLightBarLevels && bar.brightness < kLightBarLevels
           && dpi.on <= 1 && dpi.mode < kDpiLightModes && dpi.speed <= kDpiLightMaxSpeed;
}
