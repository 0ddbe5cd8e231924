#pragma once

#include "device/FlashDataMap.h"

#include <QByteArray>

// The byte layout of a mouse's configuration flash (one 6912-byte image per
// profile) and its conversion to and from the parsed FlashDataMap. The layout is
// documented in HIDUsb.h; the report handler relies on the partial-read addresses.
class FlashLayout
{
public:
    static constexpr int kFlashSize = 6912;
    static constexpr int kProfileCount = 4;
    static constexpr int kReportSize = 64;

    static constexpr int kReportRateAddress = 0x000;
    static constexpr int kStageCountAddress = 0x001;
    static constexpr int kActiveStageAddress = 0x004;
    static constexpr int kDpiLedAddress = 0x04C;
    static constexpr int kDpiLedLength = 8;
    static constexpr int kLedBarAddress = 0x0A0;
    static constexpr int kLedBarLength = 9;

    // Packs the image into flash bytes; false (flash untouched) when the macros
    // do not fit into the macro area.
    static bool pack(const FlashDataMap& image, QByteArray* flash);
    // Fills the whole image from kFlashSize bytes; false when the data is not a
    // well-formed flash (the image is filled as far as it could be read).
    static bool unpack(const unsigned char* flash, FlashDataMap* image);

    // What a mouse of model `mid` holds when it leaves the factory (and after a
    // factory reset): the button functions its catalogue entry lists, the
    // common defaults otherwise (also for a model the catalogue lacks, -1).
    static FlashDataMap factoryImage(int mid = -1);
    static QByteArray factoryFlash(int mid = -1);

    static void dpiLedToImage(const unsigned char* data, unsigned char* out);
    static void ledBarToImage(const unsigned char* data, unsigned char* out);
    // The mouse's light button on a whole flash: off goes on with mode 1, modes 1
    // to 4 go to the next mode, mode 5 (or a mode the mouse lacks) goes off and
    // keeps its mode byte. The light bar's check byte is renewed.
    static void nextLightBarMode(unsigned char* flash);

    // Rates a mouse offers by its rate button, by receiver kind (0 = wired model).
    static QByteArray rateCycle(int receiverKind);
};
