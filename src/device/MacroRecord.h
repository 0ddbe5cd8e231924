#pragma once

#include "device/MacroEvent.h"

#include <cstddef>

// A macro bound to one button. The name is in the device's 8-bit code page and
// is not terminated; nameLength gives its length in bytes.
struct MacroRecord
{
    static constexpr int kMaxNameBytes = 30;
    static constexpr int kMaxEvents = 70;

    uint8_t nameLength;
    uint8_t name[kMaxNameBytes];
    uint8_t eventCount;
    MacroEvent events[kMaxEvents];
};

static_assert(sizeof(MacroRecord) == 592, "MacroRecord is 592 bytes");
static_assert(offsetof(MacroRecord, eventCount) == 31, "event count at byte 31");
static_assert(offsetof(MacroRecord, events) == 32, "events start at byte 32");
