#include "ui/buttons/DeviceIdLookup.h"

#include "device/DeviceDiscovery.h"

#include <HIDUsb.h>

namespace {
// The count the library is asked for, and the most paths read back.
constexpr int kMaxPaths = 5;
}

void DeviceIdLookup::ReadDeviceIds()
{
    const DeviceDiscovery::SearchConfig c = DeviceDiscovery::ReadSearchConfig();
    QVector<QString> pids;
    for (const QString& pid : c.searchPids()) {
        if (!pid.isEmpty())
            pids.append(pid);
    }
    EnumerateDevices(c.vid, pids, c.interfaceId, c.deviceId);
}

void DeviceIdLookup::EnumerateDevices(const QString& vendorId, const QVector<QString>& productIds,
                                      int /*interfaceId*/, int /*deviceId*/)
{
    const QByteArray vid = vendorId.toLatin1();
    for (const QString& pid : productIds) {
        int count = kMaxPaths;
        char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId(vid.constData(), pid.toLatin1().constData(),
                                                                  &count);
        if (!paths)
            continue;
        // Never past the paths the library was asked for.
        count = qBound(0, count, kMaxPaths);
        for (int i = 0; i < count; ++i) {
            if (paths[i])
                BuildRecord(paths[i], vendorId, pid);
        }
    }
}

DeviceAllInfo DeviceIdLookup::BuildRecord(const char* path, const QString& vendorId, const QString& productId)
{
    DeviceAllInfo rec;
    rec.path = QString::fromLatin1(path);
    rec.vid = vendorId;
    rec.pid = productId;
    rec.online = 0;
    rec.receiverVersion = DeviceDiscovery::UsbVersionText(QByteArray(path));
    const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(path);
    rec.cid = info.cid;
    rec.mid = info.mid;
    rec.connectionType = info.connectionType;
    return rec;
}
