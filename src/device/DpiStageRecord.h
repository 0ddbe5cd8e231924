#pragma once

#include <cstdint>
#include <cstddef>

// One DPI stage as the device stores it.
struct DpiStageRecord
{
    uint8_t xCode;
    uint8_t yCode;  // written equal to xCode
    uint8_t rangeFlags;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

static_assert(sizeof(DpiStageRecord) == 6, "DpiStageRecord is 6 bytes");
static_assert(offsetof(DpiStageRecord, rangeFlags) == 2, "range flags at byte 2");
static_assert(offsetof(DpiStageRecord, red) == 3, "colour at bytes 3..5");
