#pragma once

#include <QString>
#include <QtGlobal>

// One row of a macro as stored: a key event (file code text, kind, press or
// release) or a pause in milliseconds. Rows keep the file code of a key, not
// only its display name, so a mouse-button row (whose name depends on the
// language) is saved with the same code after a language change.
struct MacroRow
{
    enum class Type { Key, Delay };

    Type type = Type::Key;
    QString code;          // key: "0x" and two upper-case hex digits
    int kind = 1;          // key: 0 modifier bits, 1 keyboard usage, 4 mouse bits
    bool release = false;  // key: release rather than press
    quint32 delayMs = 0;   // delay

    static MacroRow key(const QString& code, int kind, bool release)
    {
        MacroRow row;
        row.type = Type::Key;
        row.code = code;
        row.kind = kind;
        row.release = release;
        return row;
    }

    static MacroRow delay(quint32 ms)
    {
        MacroRow row;
        row.type = Type::Delay;
        row.delayMs = ms;
        return row;
    }

    bool isDelay() const { return type == Type::Delay; }

    bool operator==(const MacroRow& other) const
    {
        if (type != other.type)
            return false;
        if (type == Type::Delay)
            return delayMs == other.delayMs;
        return code == other.code && kind == other.kind && release == other.release;
    }
    bool operator!=(const MacroRow& other) const { return !(*this == other); }
};
