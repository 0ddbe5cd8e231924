#pragma once

#include "device/ButtonMapping.h"
#include "device/DpiStageRecord.h"
#include "device/KeyEventRecord.h"
#include "device/MacroRecord.h"

#include <QtGlobal>

// The one-field writers: each patches one field (or record) of the working image
// g_FlashData and sends the whole image to the mouse. GUI thread.
//
// Every writer:
// - refuses a stage or button index outside the image: false, nothing written,
//   no notice;
// - offline: leaves the image as it is, emits SigMouseOffLineo(0) unless the
//   sensor or the button page is being filled, and returns false;
// - refuses while the working image is not yet the open device's (between
//   opening a device and its first full read): false, nothing sent;
// - otherwise patches and sends under the image lock and returns whether the
//   library took the image (the mouse itself does not acknowledge); an image
//   the library refuses is not kept: the working image stays as it was.

// Online check alone (no write).
bool CheckDeviceOnline();

bool WriteReportRateToDevice(quint8 code);   // byte 0: 8 = 125 Hz .. 1 = 1000 Hz, 16/32/64 = 2k/4k/8k
bool WriteDpiStageCountToDevice(quint8 count);  // byte 1: 1..8
bool WriteDpiIndexToDevice(quint8 stage);    // byte 2
bool WriteLodToDevice(quint8 code);          // byte 5
bool WriteDebounceToDevice(quint8 index);    // byte 6
bool WriteMotionSyncToDevice(quint8 on);     // byte 7
bool WriteSleepTimeToDevice(quint8 time);    // byte 8, units of 10 s
bool WriteStraightLineToDevice(quint8 on);   // byte 9
bool WriteRippleControlToDevice(quint8 on);  // byte 10
bool WriteByte0BToDevice(quint8 on);         // byte 11, lights off while moving
bool WritePerformanceToDevice(quint8 on);    // byte 12
bool WritePerformanceModeToDevice(quint8 time);  // byte 13, units of 10 s
bool WriteSensorModelToDevice(quint8 mode);  // byte 14

// Stage 0..7: codes and range flags of one DPI stage.
bool WriteDpiValueToDevice(int stage, quint8 x, quint8 y, quint8 flags);
// Stage 0..7: colour of one DPI stage.
bool WriteDpiColorToDevice(int stage, quint8 r, quint8 g, quint8 b);
// Stage records a at indexA and b at indexB, active stage `stage`, stage count stage + 1.
bool WriteDpiStagesToDevice(const DpiStageRecord& a, const DpiStageRecord& b, int indexB, int indexA,
                            quint8 stage);

// DPI light: mode not 0 switches the light on with that mode; 0 switches it off
// and keeps the mode.
bool WriteSensorLightModeToDevice(int mode);
bool WriteSensorLightBrightnessToDevice(quint8 value);
bool WriteSensorLightSpeedToDevice(quint8 value);

// Light bar, the same pattern.
bool WriteLightModeToDevice(int mode);
bool WriteLightColorToDevice(quint8 r, quint8 g, quint8 b);
bool WriteLightSpeedToDevice(quint8 value);
bool WriteLightBrightnessToDevice(quint8 value);

// Button 0..15.
bool WriteButtonToDevice(int button, quint8 type, quint8 code, quint8 param);
bool WriteButtonRecordToDevice(int button, const ButtonMapping& mapping, const KeyEventRecord& record);
bool WriteMacroToDevice(int button, const ButtonMapping& mapping, const MacroRecord& record);
