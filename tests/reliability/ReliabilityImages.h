#pragma once

// Two configuration images that differ in every part of the flash (single
// settings at its start, key events in the middle, a full macro at its end),
// so that a file holding half of one and half of the other cannot pass for
// either. Both survive the device's packing unchanged.

#include "device/FlashDataMap.h"
#include "ui/macro/MacroRow.h"

#include <QByteArray>
#include <QVector>

#include <cstring>

namespace reliability {

inline FlashDataMap image(int variant)
{
    const uint8_t v = uint8_t(variant & 1);
    FlashDataMap img{};
    img.reportRate = v ? FlashDataMap::kRate125 : FlashDataMap::kRate1000;
    img.dpiStageCount = v ? 6 : 3;
    img.activeDpiStage = v ? 4 : 1;
    img.liftOffDistance = v ? 2 : 1;
    img.debounceTime = v ? 5 : 2;
    img.idleLightOffTime = v ? 30 : 6;
    img.sensorMode = v ? 1 : 0;
    for (int i = 0; i < FlashDataMap::kDpiStageCount; ++i) {
        DpiStageRecord& s = img.dpiStages[i];
        s.xCode = s.yCode = uint8_t(10 + i * 20 + v);
        s.red = uint8_t(v ? 255 - i : i);
        s.green = uint8_t(40 + v);
        s.blue = uint8_t(90 - v);
    }
    img.dpiLed = DpiLedSettings{uint8_t(1 + v), 3, uint8_t(2 + v), 1};
    img.ledBar = LedBarSettings{uint8_t(1 + v), uint8_t(v ? 200 : 20), 128, 255, 3, 4, 1};
    for (int b = 0; b < FlashDataMap::kButtonCount; ++b)
        img.buttons[b] = ButtonMapping{uint8_t(1 + v), uint8_t(b + 1), uint8_t(v)};
    for (int b = 0; b < FlashDataMap::kButtonCount; ++b) {
        KeyEventRecord& k = img.keyEvents[b];
        k.eventCount = 2;
        k.events[0] = MacroEvent{MacroEvent::kPress, MacroEvent::kKeyboard, {uint8_t(4 + b + v), 0}, {0, 0, 0, 0}};
        k.events[1] = MacroEvent{MacroEvent::kRelease, MacroEvent::kKeyboard, {uint8_t(4 + b + v), 0}, {0, 0, 0, 0}};
    }
    // The last button's macro fills the far end of the flash.
    MacroRecord& m = img.macros[FlashDataMap::kButtonCount - 1];
    m.nameLength = MacroRecord::kMaxNameBytes;
    std::memset(m.name, v ? 'B' : 'A', sizeof m.name);
    m.eventCount = MacroRecord::kMaxEvents;
    for (int e = 0; e < MacroRecord::kMaxEvents; ++e) {
        MacroEvent& ev = m.events[e];
        ev.direction = uint8_t(e & 1);
        ev.kind = MacroEvent::kKeyboard;
        ev.setCode(uint16_t(4 + (e / 2 + v) % 26));
        ev.setDelay(uint32_t(1000 + e + v * 70000));
    }
    return img;
}

inline QByteArray bytes(const FlashDataMap& img)
{
    return QByteArray(reinterpret_cast<const char*>(&img), int(sizeof img));
}

// 0 or 1 when the bytes are exactly that image, -1 otherwise.
inline int variantOf(const QByteArray& imageBytes)
{
    for (int v = 0; v < 2; ++v)
        if (imageBytes == bytes(image(v)))
            return v;
    return -1;
}

// Two macros of 70 key events that differ in every row, for the macro file.
inline int macroRepeat(int variant)
{
    return (variant & 1) ? 254 : 7;
}

inline QVector<MacroRow> macroRows(int variant)
{
    const int v = variant & 1;
    QVector<MacroRow> rows;
    for (int e = 0; e < 70; ++e) {
        if (e > 0)
            rows << MacroRow::delay(quint32(1000 + e + v * 70000));
        rows << MacroRow::key(QString::asprintf("0x%02X", 4 + (e / 2 + v) % 26), 1, e & 1);
    }
    return rows;
}

}  // namespace reliability
