#pragma once

#include <cstdint>

struct FlashDataMap;

// The values the pages offer for the image's one-byte settings: the report-rate
// codes in the order of the sensor page's rate buttons, the debounce choices
// and the full-performance durations. Pure lookups, shared by the pages and by
// the checks of images that come from a file.
class ImageFieldCodes
{
public:
    static constexpr int kRateCount = 7;
    // Byte 0 code of rate 0..6 (125 Hz .. 8000 Hz); 0 for any other index.
    static uint8_t rateCode(int index);
    // Index of a byte 0 code; -1 for a code that is none of the seven.
    static int rateIndex(int code);
    // The sensor page's rate buttons for a connection type (DeviceAllInfo):
    // layout 0 offers up to 1000 Hz, 1 up to 4000 Hz, 2 up to 2000 Hz, 3 up
    // to 8000 Hz; -1 for a type the page leaves the layout as it was for.
    static int rateLayout(int connectionType);
    // Whether the layout shows rate 0..6; 125 to 1000 Hz show in every one.
    static bool rateShown(int layout, int index);
    // Whether the sensor page offers the byte 0 code to a device on this
    // connection. Where the page keeps its layout, only the rates that every
    // layout shows count.
    static bool rateOffered(int code, int connectionType);

    // Byte 6 holds the index of a choice of 0..20 ms.
    static constexpr int kDebounceEntries = 21;

    static constexpr int kDurationCount = 6;
    // Byte 13 code of duration 0..5 (units of 10 s); 0 for any other entry.
    static int durationCode(int entry);
    // Entry of a byte 13 code; -1 for a code the list lacks.
    static int durationEntry(int code);

    // Light bar (bytes 67..73): mode 0 (off) to 5, speed and brightness 0..9.
    static constexpr int kLightBarModes = 6;
    static constexpr int kLightBarLevels = 10;
    // DPI light (bytes 63..66): mode 0 (off) to 2, speed up to 5.
    static constexpr int kDpiLightModes = 3;
    static constexpr int kDpiLightMaxSpeed = 5;
    // Whether both light blocks hold values the lighting controls offer (each
    // switch 0 or 1). Colours and the DPI light's brightness take any byte.
    static bool lightsOffered(const FlashDataMap& image);
};
