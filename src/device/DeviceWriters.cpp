#include "device/DeviceWriters.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/FlashDataMap.h"
#include "device/HeldImage.h"
#include "device/ReportHandler.h"
#include "device/WorkingImage.h"

#include <HIDUsb.h>


#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace {
// One patch of the image: bytes copied to an offset.
struct Patch
{
    std::size_t offset;
    const void* bytes;
    std::size_t size;
};

// Single-byte settings and their image offsets.
enum ByteField : std::size_t {
    kReportRate = offsetof(FlashDataMap, reportRate),
    kStageCount = offsetof(FlashDataMap, dpiStageCount),
    kActiveStage = offsetof(FlashDataMap, activeDpiStage),
    kLiftOff = offsetof(FlashDataMap, liftOffDistance),
    kDebounce = offsetof(FlashDataMap, debounceTime),
    kMotionSync = offsetof(FlashDataMap, motionSync),
    kIdleLightOff = offsetof(FlashDataMap, idleLightOffTime),
    kAngleSnapping = offsetof(FlashDataMap, angleSnapping),
    kRipple = offsetof(FlashDataMap, rippleControl),
    kLightsOffMoving = offsetof(FlashDataMap, lightsOffWhileMoving),
    kPerformance = offsetof(FlashDataMap, performanceMode),
    kPerformanceTime = offsetof(FlashDataMap, performanceModeTime),
    kSensorMode = offsetof(FlashDataMap, sensorMode),
    kDpiLedMode = offsetof(FlashDataMap, dpiLed) + offsetof(DpiLedSettings, mode),
    kDpiLedBrightness = offsetof(FlashDataMap, dpiLed) + offsetof(DpiLedSettings, brightness),
    kDpiLedSpeed = offsetof(FlashDataMap, dpiLed) + offsetof(DpiLedSettings, speed),
    kDpiLedOn = offsetof(FlashDataMap, dpiLed) + offsetof(DpiLedSettings, on),
    kLedBarMode = offsetof(FlashDataMap, ledBar) + offsetof(LedBarSettings, mode),
    kLedBarColour = offsetof(FlashDataMap, ledBar) + offsetof(LedBarSettings, red),
    kLedBarSpeed = offsetof(FlashDataMap, ledBar) + offsetof(LedBarSettings, speed),
    kLedBarBrightness = offsetof(FlashDataMap, ledBar) + offsetof(LedBarSettings, brightness),
    kLedBarOn = offsetof(FlashDataMap, ledBar) + offsetof(LedBarSettings, on),
};

std::size_t stageOffset(int stage, std::size_t field = 0)
{
    return offsetof(FlashDataMap, dpiStages) + sizeof(DpiStageRecord) * std::size_t(stage) + field;
}

std::size_t buttonOffset(int button)
{
    return offsetof(FlashDataMap, buttons) + sizeof(ButtonMapping) * std::size_t(button);
}

std::size_t keyEventOffset(int button)
{
    return offsetof(FlashDataMap, keyEvents) + sizeof(KeyEventRecord) * std::size_t(button);
}

std::size_t macroOffset(int button)
{
    return offsetof(FlashDataMap, macros) + sizeof(MacroRecord) * std::size_t(button);
}

bool validStage(int stage)
{
    return stage >= 0 && stage < FlashDataMap::kDpiStageCount;
}

bool validButton(int button)
{
    return button >= 0 && button < FlashDataMap::kButtonCount;
}

// The offline notice for a refused write, unless a page is being filled (a page
// that fills its controls must not raise notices for its own echoes); after
// it, the pages show again what the mouse holds.
void requestOfflineNotice()
{
    if (g_ButtonPageFilling || g_SensorPageFilling)
        return;
    PostMsg::GetInstance()->PostMouseOffLineo(0);
    HeldImage::refused();
}

// Asks the device; offline it requests the notice.
bool deviceAnswers()
{
    if (UsbFinderC_GetDeviceOnLine(g_DevicePath.load()))
        return true;
    requestOfflineNotice();
    return false;
}

// The one write path of every writer.
bool writeImage(std::initializer_list<Patch> patches)
{
    if (!deviceAnswers())
        return false;
    // Before the opened device's first whole read there is no image of it to
    // patch: refused like a write to an offline mouse, with the notice (whose
    // closing restarts the device thread, which reads the device), never
    // silently while the control shows a value the mouse did not get.
    if (!WorkingImage::isCurrent()) {
        requestOfflineNotice();
        return false;
    }
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    if (!WorkingImage::isCurrentLocked())
        return false;
    auto* image = reinterpret_cast<unsigned char*>(&g_FlashData);
    const FlashDataMap before = g_FlashData;
    for (const Patch& p : patches) {
        Q_ASSERT(p.offset + p.size <= sizeof(FlashDataMap));
        std::memcpy(image + p.offset, p.bytes, p.size);
    }
    if (ProtocolDataUpdate(&g_FlashData)) {
        NoteImageSentLocked();
        return true;
    }
    // The mouse did not get it (for instance macros beyond its macro memory):
    // the working image keeps saying what the mouse holds, or every later
    // write would carry the refused change along and be refused too.
    g_FlashData = before;
    return false;
}

bool writeByte(ByteField field, quint8 value)
{
    return writeImage({{field, &value, 1}});
}

// A light with a mode switch: a mode turns the light on, 0 turns it off and
// keeps the stored mode.
bool writeLightMode(ByteField modeField, ByteField onField, int mode)
{
    static const quint8 kOn = 1;
    static const quint8 kOff = 0;
    if (mode == 0)
        return writeImage({{onField, &kOff, 1}});
    const quint8 value = quint8(mode);
    return writeImage({{onField, &kOn, 1}, {modeField, &value, 1}});
}
}

bool CheckDeviceOnline()
{
    return deviceAnswers();
}

bool WriteReportRateToDevice(quint8 code) { return writeByte(kReportRate, code); }
bool WriteDpiIndexToDevice(quint8 stage) { return writeByte(kActiveStage, stage); }
bool WriteLodToDevice(quint8 code) { return writeByte(kLiftOff, code); }
bool WriteDebounceToDevice(quint8 index) { return writeByte(kDebounce, index); }
bool WriteMotionSyncToDevice(quint8 on) { return writeByte(kMotionSync, on); }
bool WriteSleepTimeToDevice(quint8 time) { return writeByte(kIdleLightOff, time); }
bool WriteStraightLineToDevice(quint8 on) { return writeByte(kAngleSnapping, on); }
bool WriteRippleControlToDevice(quint8 on) { return writeByte(kRipple, on); }
bool WriteByte0BToDevice(quint8 on) { return writeByte(kLightsOffMoving, on); }
bool WritePerformanceToDevice(quint8 on) { return writeByte(kPerformance, on); }
bool WritePerformanceModeToDevice(quint8 time) { return writeByte(kPerformanceTime, time); }
bool WriteSensorModelToDevice(quint8 mode) { return writeByte(kSensorMode, mode); }

bool WriteDpiValueToDevice(int stage, quint8 x, quint8 y, quint8 flags)
{
    if (!validStage(stage))
        return false;
    const quint8 bytes[3] = {x, y, flags};
    return writeImage({{stageOffset(stage, offsetof(DpiStageRecord, xCode)), bytes, sizeof bytes}});
}

bool WriteDpiColorToDevice(int stage, quint8 r, quint8 g, quint8 b)
{
    if (!validStage(stage))
        return false;
    const quint8 bytes[3] = {r, g, b};
    return writeImage({{stageOffset(stage, offsetof(DpiStageRecord, red)), bytes, sizeof bytes}});
}

bool WriteDpiStageCountToDevice(quint8 count)
{
    if (count < 1 || count > FlashDataMap::kDpiStageCount)
        return false;
    return writeByte(kStageCount, count);
}

bool WriteDpiStagesToDevice(const DpiStageRecord& a, const DpiStageRecord& b, int indexB, int indexA,
                            quint8 stage)
{
    if (!validStage(indexA) || !validStage(indexB) || !validStage(stage))
        return false;
    const quint8 count = quint8(stage + 1);
    return writeImage({{stageOffset(indexA), &a, sizeof a},
                       {stageOffset(indexB), &b, sizeof b},
                       {kActiveStage, &stage, 1},
                       {kStageCount, &count, 1}});
}

bool WriteSensorLightModeToDevice(int mode) { return writeLightMode(kDpiLedMode, kDpiLedOn, mode); }
bool WriteSensorLightBrightnessToDevice(quint8 value) { return writeByte(kDpiLedBrightness, value); }
bool WriteSensorLightSpeedToDevice(quint8 value) { return writeByte(kDpiLedSpeed, value); }

bool WriteLightModeToDevice(int mode) { return writeLightMode(kLedBarMode, kLedBarOn, mode); }
bool WriteLightSpeedToDevice(quint8 value) { return writeByte(kLedBarSpeed, value); }
bool WriteLightBrightnessToDevice(quint8 value) { return writeByte(kLedBarBrightness, value); }

bool WriteLightColorToDevice(quint8 r, quint8 g, quint8 b)
{
    const quint8 bytes[3] = {r, g, b};
    return writeImage({{kLedBarColour, bytes, sizeof bytes}});
}

bool WriteButtonToDevice(int button, quint8 type, quint8 code, quint8 param)
{
    if (!validButton(button))
        return false;
    const ButtonMapping mapping{type, code, param};
    return writeImage({{buttonOffset(button), &mapping, sizeof mapping}});
}

bool WriteButtonRecordToDevice(int button, const ButtonMapping& mapping, const KeyEventRecord& record)
{
    if (!validButton(button))
        return false;
    return writeImage({{buttonOffset(button), &mapping, sizeof mapping},
                       {keyEventOffset(button), &record, sizeof record}});
}

bool WriteMacroToDevice(int button, const ButtonMapping& mapping, const MacroRecord& record)
{
    if (!validButton(button))
        return false;
    return writeImage({{buttonOffset(button), &mapping, sizeof mapping},
                       {macroOffset(button), &record, sizeof record}});
}
