#pragma once

#include <cstdint>

// Function of one physical button: type, code and parameter as the button page sets them.
struct ButtonMapping
{
    // Types whose function lives in the button's key-event or macro record.
    static constexpr uint8_t kKeyEventsType = 5;
    static constexpr uint8_t kMacroType = 6;

    uint8_t type;
    uint8_t code;
    uint8_t param;

    bool usesButtonRecords() const { return type == kKeyEventsType || type == kMacroType; }
};

static_assert(sizeof(ButtonMapping) == 3, "ButtonMapping is 3 bytes");
