#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

struct MacroRecord;

// One key of the program's vocabulary. Keyboard keys carry their HID usage
// (Keyboard/Keypad page) as code, modifiers and mouse buttons one bit each.
// The code and kind are the same in macro files and on the device; the
// readers of the two differ only in how they treat codes whose kind does not
// fit (see the lookups below).
struct KeyTableEntry
{
    QString name;       // fixed name; empty for the mouse rows (see mouseSlot)
    int kind = 1;       // KeyTable::Kind
    int code = 0;
    int virtualKey = -1;  // keyboard virtual-key code, -1 when none
    int mouseSlot = -1;   // 0..4: the name is g_MouseButtonNames[mouseSlot]
};

// The one table of key names, codes and virtual keys that the macro page, the
// button page and the key dialogs share, with the conversions between them.
//
// The fixed names are all different; only the five mouse-button names are
// texts of the current language and may equal a fixed name. The conversions
// from a name compare them after every fixed name except "F1" to "F12": a
// language text equal to "Tab" stays the Tab key, one equal to "F5" is the
// mouse button.
class KeyTable
{
public:
    enum Kind { Modifier = 0, Keyboard = 1, Consumer = 2, Mouse = 4 };

    // Order in which a name is looked up.
    enum NameOrder {
        MouseBeforeFunctionKeys,  // the macro page's order (described above)
        MouseLast                 // every fixed name first (the button page's order)
    };

    // Every key in lookup order: keyboard keys (the empty name first) without
    // F1..F12, the eight modifiers, the five mouse buttons, F1..F12.
    static const QVector<KeyTableEntry>& entries();
    // Display name of an entry (the current language's text for a mouse button).
    static QString nameOf(const KeyTableEntry& entry);
    // First entry with this display name in the given order, or null.
    static const KeyTableEntry* findName(const QString& name, NameOrder order = MouseBeforeFunctionKeys);
    // The keyboard key with this usage (the empty name for 0), or null.
    static const KeyTableEntry* findUsage(int usage);

    // Code text of macro files: "0x" and two upper-case hexadecimal digits.
    static QString codeText(int code);

    // Macro-file reader: name of a code text ("0x2B") and kind. Only the exact
    // text of a key of that kind names it; anything else gives the empty name.
    static QString KeyCodeToName(const QString& codeText, int kind);
    // Macro-file writer: {code text, kind digit} of a name, or an empty list.
    static QStringList KeyNameToHexCodes(const QString& name);
    // Writes kind and code of event `eventIndex` of `record` from a name. An
    // unknown name writes kind 1 and leaves the code; an index outside the
    // record writes nothing.
    static void KeyNameToDeviceEvent(const QString& name, int eventIndex, MacroRecord* record);
    // Name of a key event read from the device (kind other than 4). Codes that
    // are both a modifier bit and a usage are told apart by the kind; 0x01,
    // 0x02 and 0x80 are modifiers whatever the kind; 0x58 (keypad Enter) is
    // "Enter"; other codes are usages whatever the kind.
    static QString DeviceKeyToName(int code, int kind);
    // Name of a mouse-button event read from the device (kind 4).
    static QString MouseCodeToName(int code);

    // Name of a keyboard virtual-key code; `known` tells the empty name of
    // the Clear key (0x0C) apart from a code without a name. Modifiers are
    // named only when `withModifiers` is set (the combination dialog leaves
    // them to its check boxes).
    static QString VirtualKeyToName(int virtualKey, bool withModifiers = true, bool* known = nullptr);

    // The four modifier names of key combinations ("Ctrl", "Shift", "Alt",
    // "Win") with their left-hand modifier bits.
    struct CombinationModifier
    {
        QString name;
        int bit;
    };
    static const QVector<CombinationModifier>& combinationModifiers();

    // Sets g_MouseButtonNames from texts 4 to 8 of the button page's language
    // section in `language`. Called by every page whose language slot needs them.
    static void SetMouseButtonNames(int language);
};
