#pragma once

#include "ui/macro/MacroRow.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

// The file that carries one macro to another computer: Qt's data stream
// (format 17, big-endian) holding a magic text, the macro's name, its repeat
// value and the rows of its event list, each with its text and icon.
//
// The reader trusts nothing in the file: every length and count is checked
// against its field and the data left, the icons are skipped (the page draws
// its own), and a file that is not exactly a valid macro is refused whole.
class MacroExchangeFile
{
public:
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    // 70 key events and a pause after each.
    static constexpr int kMaxItems = 140;
    static constexpr int kMagicBytes = 12;
    static constexpr int kNameBytes = 48;
    static constexpr int kRepeatBytes = 12;
    // A macro name fits the device's name field.
    static constexpr int kMaxNameBytes = 30;

    struct Item
    {
        QString text;  // the row's text: a key name or "<n>ms"
        MacroRow row;
    };

    struct Contents
    {
        QString name;
        int repeatCode = 1;
        QVector<Item> items;
    };

    enum class Status {
        Ok,
        TooLarge,       // more than kMaxFileBytes
        Truncated,      // the data ends inside a field
        BadLength,      // a length or count outside its field's bounds
        WrongMagic,
        BadName,        // empty or unsafe as a file name
        BadRepeat,
        BadRow,         // a pause that is not "<n>ms", a bad flag or an unknown key name
        TooManyEvents,  // more than 70 key events
    };

    // Gives the key row of a key name (code, kind; `release` is set by the
    // reader), or false for a name that is not a key.
    using KeyLookup = std::function<bool(const QString& name, MacroRow* row)>;

    static Status parse(const QByteArray& data, const KeyLookup& lookup, Contents* contents);
    // Reads at most kMaxFileBytes + 1 bytes of the file.
    static Status read(const QString& path, const KeyLookup& lookup, Contents* contents);

    // Icons are drawn from the pictures "MacroDown.png", "MacroUp.png" and
    // "MacroTime.png" of `pictureFolder` (ending in "/"). The name is cut to
    // kMaxNameBytes.
    static QByteArray serialize(const QString& name, int repeatCode, const QVector<Item>& items,
                                const QString& pictureFolder);
    // One atomic replacement of the file; false when it could not all be
    // written, and an existing file is then kept as it was.
    static bool write(const QString& path, const QString& name, int repeatCode, const QVector<Item>& items,
                      const QString& pictureFolder);

    // The longest beginning of `name` of whole characters within `maxBytes` of UTF-8.
    static QString cutToBytes(const QString& name, int maxBytes);
};
