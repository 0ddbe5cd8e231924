#include "device/ImageFieldCodes.h"

#include "device/FlashDataMap.h"

namespace {
const uint8_t kRateCodes[ImageFieldCodes::kRateCount] = {
    FlashDataMap::kRate125,  FlashDataMap::kRate250,  FlashDataMap::kRate500, FlashDataMap::kRate1000,
    FlashDataMap::kRate2000, FlashDataMap::kRate4000, FlashDataMap::kRate8000,
};

// Rates 125 to 1000 Hz show in every layout; these are 2000, 4000 and 8000 Hz.
constexpr int kFirstHighRate = 4;
constexpr int kLayoutCount = 4;
constexpr bool kHighRatesShown[kLayoutCount][ImageFieldCodes::kRateCount - kFirstHighRate] = {
    {false, false, false},
    {true, true, false},
    {true, false, false},
    {true, true, true},
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

int ImageFieldCodes::rateLayout(int connectionType)
{
    switch (connectionType) {
    case 0: case 2: return 0;
    case 1: return 1;
    case 4: return 2;
    case 3: case 5: return 3;
    default: return -1;
    }
}

bool ImageFieldCodes::rateShown(int layout, int index)
{
    if (index < 0 || index >= kRateCount || layout < 0 || layout >= kLayoutCount)
        return false;
    return index < kFirstHighRate || kHighRatesShown[layout][index - kFirstHighRate];
}

bool ImageFieldCodes::rateOffered(int code, int connectionType)
{
    const int index = rateIndex(code);
    const int layout = rateLayout(connectionType);
    return layout < 0 ? index >= 0 && index < kFirstHighRate : rateShown(layout, index);
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
