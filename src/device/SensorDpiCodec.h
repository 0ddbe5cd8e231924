#pragma once

#include <QString>
#include <QVector>
#include <cstdint>

struct FlashDataMap;

// Conversion between a DPI value and the code and range-flags bytes of a DPI
// stage record. A sensor with entries "SENSOR_<sensor>_DPI_<dpi>" in the sensor
// table takes its codes from there; any other sensor uses the formula
// dpi = (code + 1) x 50, scaled by the range flags (0x22 and 0x11 each double
// it). The sensors "3395" and "3950" keep two more code bits in the flags byte
// (bits 6-7, repeated in bits 2-3).
class SensorDpiCodec
{
public:
    struct Context
    {
        QVector<QString> names;
        QVector<int> values;
        QString sensor;
        int rangeMode = 0;
        QVector<int> rangeMins;
        QVector<int> rangeMaxs;

        // The tables the sensor page keeps for the open model.
        static Context fromGlobals();
    };

    struct StageCode
    {
        bool valid = false;  // false: nothing may be written
        uint8_t code = 0;    // X code, and the equal Y code
        uint8_t flags = 0;
    };

    static bool hasTable(const Context& ctx);

    // DPI shown for a stored code and flags byte; 0 for a code the sensor's
    // table lacks.
    static int decode(const Context& ctx, uint8_t code, uint8_t flags);

    // Code and flags for a DPI value. The code is clamped to what the record can
    // hold; a table sensor without an entry for the value gives an invalid
    // result rather than a code that means another DPI.
    static StageCode encode(const Context& ctx, int dpi);

    // The same for stage 0..7; other stages give an invalid result. This is
    // what the stage DPI writer sends with the one-field writer.
    static StageCode encodeStage(int stage, int dpi, const Context& ctx = Context::fromGlobals());

    // Decodes stage 0..7 of an image (0 for any other stage).
    static int decodeStage(const FlashDataMap& image, int stage,
                           const Context& ctx = Context::fromGlobals());

    // Writes code, code and flags into bytes 0..2 of stage record 0..7; false
    // (image untouched) for another stage or a value that cannot be encoded.
    static bool patchStage(FlashDataMap& image, int stage, int dpi,
                           const Context& ctx = Context::fromGlobals());

    // The sensors whose codes carry two extra bits in the flags byte.
    static bool hasHighCodeBits(const QString& sensor);
};
