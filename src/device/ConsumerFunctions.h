#pragma once

#include "device/KeyEventRecord.h"

#include <cstdint>
#include <cstring>

// The eighteen multimedia functions a mouse button can hold, as HID consumer
// usages, in the order the button page lists them. A function's id is the
// usage's low byte; the ids are distinct. Shared with the simulated mice, whose
// factory functions name them by id.
constexpr int kConsumerFunctionCount = 18;
constexpr uint16_t kConsumerFunctionUsages[kConsumerFunctionCount] = {
    0x0183, 0x00CD, 0x00B5, 0x00B6, 0x00B7, 0x00E2, 0x00E9, 0x00EA, 0x018A,
    0x0192, 0x0194, 0x0223, 0x0221, 0x0225, 0x0224, 0x0226, 0x0227, 0x022A,
};

// The usage of a function id, 0 when no function has it.
constexpr uint16_t consumerUsageOfId(int id)
{
    for (uint16_t usage : kConsumerFunctionUsages) {
        if ((usage & 0xFF) == id)
            return usage;
    }
    return 0;
}

// The key-event record that presses and releases one consumer usage, 10 ms each.
inline KeyEventRecord consumerKeyRecord(uint16_t usage)
{
    KeyEventRecord record;
    std::memset(&record, 0, sizeof record);
    record.eventCount = 2;
    for (int e = 0; e < 2; ++e) {
        MacroEvent& event = record.events[e];
        event.direction = e == 0 ? MacroEvent::kPress : MacroEvent::kRelease;
        event.kind = MacroEvent::kConsumer;
        event.setCode(usage);
        event.setDelay(10);
    }
    return record;
}
