#pragma once

#include "device/KeyEventRecord.h"

#include <QString>
#include <QStringList>

struct MacroRecord;

// The button page's conversions between key names and device key events.
// Key combinations are names joined by "+" ("Ctrl+Shift+A"); their modifiers
// are "Ctrl", "Shift", "Alt" and "Win", while macro names tell left and right
// apart ("LCtrl" .. "RWin") and include the five mouse-button names.
class ButtonKeyCodec
{
public:
    // A key-event record holds the press and release of at most three names.
    static constexpr int kMaxCombinationNames = KeyEventRecord::kMaxEvents / 2;

    // The names of a combination text, split at "+" with empty parts kept
    // (an empty text is one empty name), except that the keypad plus key
    // "Num+" stays one name: "Num++A" is "Num+" and "A".
    static QStringList combinationNames(const QString& text);

    // The record of a combination: presses in text order, releases in reverse
    // order, 10 ms each, count = 2 x names. A text with more names than the
    // record holds is refused: the result is all zero (count 0).
    static KeyEventRecord ComboKeysToRecord(const QString& text);
    // Fills the press (event `place`) and release (event 2 x count - 1 - place)
    // of one name; a place that does not fit the record leaves it unchanged.
    // An unknown name gives kind 1 and keeps the code.
    static KeyEventRecord ComboKeyNameToEvent(const QString& name, int place, int count, KeyEventRecord record);
    // Sets code and kind of event `eventIndex` of `record` from a macro name;
    // direction and delay stay. Unknown names give kind 1 and keep the code.
    static void MacroKeyNameToEvent(const QString& name, int eventIndex, MacroRecord* record);
    // Name of a device key event in combination spelling; left and right
    // modifiers get the same name. Empty when the pair has no name.
    static QString KeyCodeToName(int code, int kind);
};
