#pragma once

#include "device/DeviceAllInfo.h"
#include "device/FlashDataMap.h"

#include <QString>

// A device cache file as the pages may show it. A cache is written from the
// mouse's own image, so a file whose shown fields lie outside what the model
// and the pages allow was damaged or made elsewhere: it counts as no cache
// (the pages reset to the model's defaults) rather than being shown as the
// mouse's settings.
class CachedImage
{
public:
    // LoadDeviceCache, then the range check for the current device's model;
    // false (and *out untouched) when either fails.
    static bool load(const QString& name, FlashDataMap* out);

    // Stage count and active stage, report rate, sensor mode, lift-off
    // distance, debounce and full-performance duration, and each shown stage's
    // DPI within the model's range.
    static bool fieldsInRange(const FlashDataMap& image, const DeviceAllInfo& device);
};
