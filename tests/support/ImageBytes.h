#pragma once

#include "device/FlashDataMap.h"

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <initializer_list>

// Small byte helpers the device, report and page tests share.

// A byte array of the given values (each taken modulo 256).
inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// The whole image as bytes, for comparing images byte by byte.
inline QByteArray imageBytes(const FlashDataMap& image)
{
    return QByteArray(reinterpret_cast<const char*>(&image), sizeof image);
}

// The image with the bytes of `patch` (offset, value, offset, value, ...) set.
inline QByteArray patched(QByteArray image, const QList<int>& patch)
{
    for (int i = 0; i + 1 < patch.size(); i += 2)
        image[patch.at(i)] = char(patch.at(i + 1));
    return image;
}

// One macro event as the device holds it: up flag, kind, code and delay
// (both little-endian).
inline QByteArray macroEventBytes(int up, int kind, int code, quint32 delay)
{
    QByteArray b;
    b.append(char(up)).append(char(kind)).append(char(code & 0xFF)).append(char(code >> 8));
    for (int i = 0; i < 4; ++i)
        b.append(char(delay >> (8 * i)));
    return b;
}

// A whole 592-byte macro record: length and name bytes, event count, events,
// zeros after.
inline QByteArray macroRecordBytes(const QByteArray& name, int count, const QByteArray& events)
{
    QByteArray b(int(sizeof(MacroRecord)), '\0');
    b[0] = char(name.size());
    b.replace(1, name.size(), name);
    b[31] = char(count);
    b.replace(32, events.size(), events);
    return b;
}

// A whole firmware image file as the build's image tool writes it: mark, payload
// length, CRC-32 of the payload, version, type, customer id, model id, model name.
inline QByteArray firmwareImageFile(quint8 type, quint8 customerId, quint8 modelId, const QByteArray& modelName,
                                    quint32 version, int payloadSize = 64, bool damaged = false)
{
    QByteArray payload(payloadSize, '\0');
    for (int i = 0; i < payloadSize; ++i)
        payload[i] = char((i * 31 + 7) & 0xFF);
    quint32 crc = 0xFFFFFFFFu;
    for (char c : payload) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    QByteArray header(728, '\0');
    header.replace(0, 8, "ORVXFW01");
    qToLittleEndian<quint32>(quint32(payloadSize), reinterpret_cast<uchar*>(header.data()) + 0x08);
    qToLittleEndian<quint32>(damaged ? crc : ~crc, reinterpret_cast<uchar*>(header.data()) + 0x0C);
    qToLittleEndian<quint32>(version, reinterpret_cast<uchar*>(header.data()) + 0x10);
    header[0x14] = char(type);
    header[0x15] = char(customerId);
    header[0x16] = char(modelId);
    header.replace(0x57, modelName.size(), modelName);
    return header + payload;
}
