#pragma once

#include "device/FlashDataMap.h"

#include <QByteArray>
#include <QList>

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
