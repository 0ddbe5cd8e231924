#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The device's 8-bit text (macro names): the local 8-bit codec, cut at
// character boundaries to a byte limit. Every reader and writer of device
// text goes through here, so a name reads back as it was written.
class DeviceText
{
public:
    // Longest beginning of `text` that ends on a character boundary (never
    // inside a surrogate pair or a combined character) and encodes to at most
    // `maxBytes` bytes.
    static QString cutToBytes(const QString& text, int maxBytes);
    // The bytes of `text` without NUL characters, cut as above.
    static QByteArray encode(const QString& text, int maxBytes);
    // The text of a fixed field of `size` bytes, up to its first zero byte.
    static QString decode(const uint8_t* bytes, int size);
};
