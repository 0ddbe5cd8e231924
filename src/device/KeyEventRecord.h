#pragma once

#include "device/MacroEvent.h"

#include <cstddef>

// Key events bound to one button (a key or key combination).
struct KeyEventRecord
{
    static constexpr int kMaxEvents = 6;

    uint8_t eventCount;
    uint8_t reserved[3];
    MacroEvent events[kMaxEvents];
};

static_assert(sizeof(KeyEventRecord) == 52, "KeyEventRecord is 52 bytes");
static_assert(offsetof(KeyEventRecord, events) == 4, "events start at byte 4");
