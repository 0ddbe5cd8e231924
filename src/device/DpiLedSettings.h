#pragma once

#include <cstdint>
#include <cstddef>

// The DPI light block of the configuration image.
struct DpiLedSettings
{
    uint8_t mode;  // non-zero only together with on == 1
    uint8_t brightness;
    uint8_t speed;
    uint8_t on;  // 0 off, 1 on
};

static_assert(sizeof(DpiLedSettings) == 4, "DpiLedSettings is 4 bytes");
static_assert(offsetof(DpiLedSettings, on) == 3, "on/off at byte 3");
