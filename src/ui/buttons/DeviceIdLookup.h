#pragma once

#include "device/DeviceAllInfo.h"

#include <QString>
#include <QVector>

// Reads the vendor id and product-id lists of Config.ini and enumerates the
// matching devices through the device library, building one record per path
// found. The records are not kept: the lookups change no state of the program.
class DeviceIdLookup
{
public:
    // "Option": "VID", "InterfaceId", "DeviceId" and the five product-id lists,
    // then EnumerateDevices with every non-empty product id in list order.
    static void ReadDeviceIds();

    // For each product id: the paths the library finds (at most five) and, per
    // path, one attribute and one identifier query. The last two arguments are
    // not used.
    static void EnumerateDevices(const QString& vendorId, const QVector<QString>& productIds,
                                 int interfaceId, int deviceId);

    // The record of one found path: path, ids, receiver version and the
    // identifier bytes, each queried once.
    static DeviceAllInfo BuildRecord(const char* path, const QString& vendorId, const QString& productId);
};
