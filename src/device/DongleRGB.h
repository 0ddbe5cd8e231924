#pragma once

#include <cstdint>
#include <type_traits>

// The receiver's light-mode buffer. Only `mode` is read by the program; the rest
// is the device library's.
struct DongleRGB
{
    uint8_t mode;  // 1, 2 or 3; 0 = no mode to show
    uint8_t libraryData[9];
};

static_assert(sizeof(DongleRGB) == 10, "DongleRGB is 10 bytes");
static_assert(std::is_trivial<DongleRGB>::value, "DongleRGB is a plain buffer");
