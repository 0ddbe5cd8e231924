#pragma once

#include <cstdint>

// One key, consumer or mouse-button event of a key-event or macro record, in
// the device's byte format. Multi-byte fields are little-endian byte pairs so
// the record has no padding and reads the same on every host.
struct MacroEvent
{
    // Values of `direction`.
    static constexpr uint8_t kPress = 0;
    static constexpr uint8_t kRelease = 1;
    // Values of `kind`.
    static constexpr uint8_t kModifier = 0;  // HID modifier-byte bits
    static constexpr uint8_t kKeyboard = 1;  // keyboard usage id
    static constexpr uint8_t kConsumer = 2;  // consumer-control usage id
    static constexpr uint8_t kMouse = 4;     // mouse-button bits 1, 2, 4, 8, 16

    uint8_t direction;
    uint8_t kind;
    uint8_t codeBytes[2];   // 16-bit code, little-endian
    uint8_t delayBytes[4];  // delay after the event in ms, little-endian

    uint16_t code() const { return uint16_t(codeBytes[0] | (codeBytes[1] << 8)); }
    void setCode(uint16_t value)
    {
        codeBytes[0] = uint8_t(value & 0xFF);
        codeBytes[1] = uint8_t(value >> 8);
    }

    uint32_t delay() const
    {
        return uint32_t(delayBytes[0]) | (uint32_t(delayBytes[1]) << 8)
            | (uint32_t(delayBytes[2]) << 16) | (uint32_t(delayBytes[3]) << 24);
    }
    void setDelay(uint32_t ms)
    {
        for (int i = 0; i < 4; ++i)
            delayBytes[i] = uint8_t(ms >> (8 * i));
    }
};

static_assert(sizeof(MacroEvent) == 8, "MacroEvent is 8 bytes");
static_assert(alignof(MacroEvent) == 1, "MacroEvent must not force padding");
