#pragma once

#include "device/ButtonMapping.h"
#include "device/DpiLedSettings.h"
#include "device/DpiStageRecord.h"
#include "device/KeyEventRecord.h"
#include "device/LedBarSettings.h"
#include "device/MacroRecord.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// The device's whole configuration image as the device library parses it. It is
// stored in cache and export files and sent to the device byte for byte, so the
// layout is fixed: no constructor, no padding, every field at its offset below.
// `FlashDataMap image{};` gives an all-zero image.
struct FlashDataMap
{
    static constexpr int kSize = 10428;
    static constexpr int kDpiStageCount = 8;
    static constexpr int kButtonCount = 16;
    // Key-event and macro records together, cleared as one block after a connect.
    static constexpr int kButtonRecordsOffset = 124;
    static constexpr int kButtonRecordsSize = 10304;

    // Values of reportRate: one bit per rate.
    static constexpr uint8_t kRate125 = 8;
    static constexpr uint8_t kRate250 = 4;
    static constexpr uint8_t kRate500 = 2;
    static constexpr uint8_t kRate1000 = 1;
    static constexpr uint8_t kRate2000 = 16;
    static constexpr uint8_t kRate4000 = 32;
    static constexpr uint8_t kRate8000 = 64;

    uint8_t reportRate;            // 0
    uint8_t dpiStageCount;         // 1: 1..8
    uint8_t activeDpiStage;        // 2: 0-based
    uint8_t reserved3;             // 3: sent back as parsed
    uint8_t reserved4;             // 4: sent back as parsed
    uint8_t liftOffDistance;       // 5
    uint8_t debounceTime;          // 6: index of the debounce choice
    uint8_t motionSync;            // 7
    uint8_t idleLightOffTime;      // 8: units of 10 s
    uint8_t angleSnapping;         // 9
    uint8_t rippleControl;         // 10
    uint8_t lightsOffWhileMoving;  // 11
    uint8_t performanceMode;       // 12
    uint8_t performanceModeTime;   // 13: units of 10 s
    uint8_t sensorMode;            // 14: 0 Corded, 1 HP, 2 LP
    DpiStageRecord dpiStages[kDpiStageCount];     // 15
    DpiLedSettings dpiLed;                        // 63
    LedBarSettings ledBar;                        // 67
    ButtonMapping buttons[kButtonCount];          // 74
    uint8_t reserved122[2];                       // 122: never touched
    KeyEventRecord keyEvents[kButtonCount];       // 124
    MacroRecord macros[kButtonCount];             // 956
};

static_assert(sizeof(FlashDataMap) == FlashDataMap::kSize, "image is 10428 bytes");
static_assert(alignof(FlashDataMap) == 1, "image has no alignment padding");
static_assert(std::is_trivially_copyable<FlashDataMap>::value, "image is copied byte for byte");
static_assert(std::is_standard_layout<FlashDataMap>::value, "image is read by offset");
static_assert(std::is_trivial<FlashDataMap>::value, "image has no constructor");

static_assert(offsetof(FlashDataMap, reportRate) == 0, "offset");
static_assert(offsetof(FlashDataMap, dpiStageCount) == 1, "offset");
static_assert(offsetof(FlashDataMap, activeDpiStage) == 2, "offset");
static_assert(offsetof(FlashDataMap, reserved3) == 3, "offset");
static_assert(offsetof(FlashDataMap, reserved4) == 4, "offset");
static_assert(offsetof(FlashDataMap, liftOffDistance) == 5, "offset");
static_assert(offsetof(FlashDataMap, debounceTime) == 6, "offset");
static_assert(offsetof(FlashDataMap, motionSync) == 7, "offset");
static_assert(offsetof(FlashDataMap, idleLightOffTime) == 8, "offset");
static_assert(offsetof(FlashDataMap, angleSnapping) == 9, "offset");
static_assert(offsetof(FlashDataMap, rippleControl) == 10, "offset");
static_assert(offsetof(FlashDataMap, lightsOffWhileMoving) == 11, "offset");
static_assert(offsetof(FlashDataMap, performanceMode) == 12, "offset");
static_assert(offsetof(FlashDataMap, performanceModeTime) == 13, "offset");
static_assert(offsetof(FlashDataMap, sensorMode) == 14, "offset");
static_assert(offsetof(FlashDataMap, dpiStages) == 15, "offset");
static_assert(offsetof(FlashDataMap, dpiStages) + sizeof(DpiStageRecord) * 8 == 63,
              "stage 7 ends at byte 62");
static_assert(offsetof(FlashDataMap, dpiLed) == 63, "offset");
static_assert(offsetof(FlashDataMap, ledBar) == 67, "offset");
static_assert(offsetof(FlashDataMap, buttons) == 74, "offset");
static_assert(offsetof(FlashDataMap, buttons) + sizeof(ButtonMapping) * 16 == 122,
              "button 15 ends at byte 121");
static_assert(offsetof(FlashDataMap, reserved122) == 122, "offset");
static_assert(offsetof(FlashDataMap, keyEvents) == FlashDataMap::kButtonRecordsOffset, "offset");
static_assert(offsetof(FlashDataMap, keyEvents) + sizeof(KeyEventRecord) * 16 == 956,
              "key-event record 15 ends at byte 955");
static_assert(offsetof(FlashDataMap, macros) == 956, "offset");
static_assert(offsetof(FlashDataMap, macros) + sizeof(MacroRecord) * 16 == 10428,
              "macro record 15 ends at byte 10427");
static_assert(FlashDataMap::kButtonRecordsOffset + FlashDataMap::kButtonRecordsSize
                  == FlashDataMap::kSize,
              "button records run to the end of the image");
