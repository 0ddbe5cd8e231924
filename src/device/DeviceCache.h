#pragma once

#include "device/FlashDataMap.h"

#include <QString>
#include <QtGlobal>

// Per-device cache of the last configuration image, one file per model in the
// data folder's "Device_Info": a 32-bit big-endian length (10428), then the image.

// "Device_CID" + cid + "_MID" + mid + ".bin", each id as two upper-case hex digits.
QString DeviceCacheFileName(quint8 cid, quint8 mid);

// Full path of a cache file name below the data folder.
QString DeviceCacheFilePath(const QString& name);

// Writes the image as one length-prefixed block. The file is replaced atomically,
// so a crash or a full disk mid-write keeps the previous cache; false then.
bool SaveDeviceCache(QString name, FlashDataMap image);

// True only when the file holds exactly one complete 10428-byte block; then the
// image is copied into *out. Otherwise false and *out is left untouched.
bool LoadDeviceCache(QString name, FlashDataMap* out);
