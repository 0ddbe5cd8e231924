#pragma once

#include <cstdint>

// Function of one physical button: type, code and parameter as the button page sets them.
struct ButtonMapping
{
    uint8_t type;
    uint8_t code;
    uint8_t param;
};

static_assert(sizeof(ButtonMapping) == 3, "ButtonMapping is 3 bytes");
