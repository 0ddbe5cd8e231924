#pragma once

#include "ui/macro/MacroRow.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The text file of one macro: the repeat code on the first line, then one line
// per row ("0x04 1 0" for a key, "10ms" for a pause). Files are written whole
// to a file beside the old one and renamed over it, so a crash or a kill at any
// moment leaves either the old or the new file, never a torn or empty one.
class MacroFile
{
public:
    // A recording or a hand edit stops at this many key events.
    static constexpr int kMaxKeyEvents = 70;
    // Files larger than this are not macros this program wrote; they are not read.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    struct Contents
    {
        int repeatCode = -1;  // -1: the file has no first line
        QVector<MacroRow> rows;
        // The file holds more key rows than kMaxKeyEvents; `rows` ends before the first of them.
        bool tooManyKeyEvents = false;
    };

    enum class WriteMode {
        ReplaceExisting,  // writes nothing when the file is gone (a deleted macro stays deleted)
        CreateOrReplace,
    };

    // 1..250 repeat so often, 253, 254 and 255 the three open-ended modes.
    static bool isValidRepeatCode(int code);
    // "0x" and two upper-case hexadecimal digits.
    static bool isCodeText(const QString& text);
    // "<n>ms" with n a whole number of milliseconds that fits in 32 bits.
    static bool parseDelayText(const QString& text, quint32* ms = nullptr);
    static QString delayText(quint32 ms);

    // Reads the text of a macro file. Tolerant: both line ends, lines of any
    // other shape dropped; a repeat value that is not a valid code reads as 1,
    // a key of an unknown code or kind reads as the empty key (0x00, kind 1).
    // Stops before a key row beyond kMaxKeyEvents and says so.
    static Contents parse(const QByteArray& text);
    static QByteArray serialize(int repeatCode, const QVector<MacroRow>& rows);

    // False when the file is missing, unreadable or larger than kMaxFileBytes.
    static bool read(const QString& path, Contents* contents);
    // The file's bytes as they are; false as for read().
    static bool readBytes(const QString& path, QByteArray* bytes);
    // One atomic replacement of the file; false when it could not all be
    // written (a full disk, among others), and the old file is then kept whole.
    static bool write(const QString& path, int repeatCode, const QVector<MacroRow>& rows,
                      WriteMode mode = WriteMode::ReplaceExisting);
    // An empty file (a new macro without events), created or replaced atomically.
    static bool createEmpty(const QString& path);
    // Puts back bytes read before (a change that must be undone), atomically.
    static bool writeBytes(const QString& path, const QByteArray& bytes, WriteMode mode);
};
