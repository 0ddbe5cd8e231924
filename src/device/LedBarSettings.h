#pragma once

#include <cstdint>
#include <cstddef>

// The light-bar block of the configuration image.
struct LedBarSettings
{
    uint8_t mode;  // non-zero only together with on == 1
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t speed;
    uint8_t brightness;
    uint8_t on;  // 0 off, 1 on
};

static_assert(sizeof(LedBarSettings) == 7, "LedBarSettings is 7 bytes");
static_assert(offsetof(LedBarSettings, speed) == 4, "speed at byte 4");
static_assert(offsetof(LedBarSettings, on) == 6, "on/off at byte 6");
