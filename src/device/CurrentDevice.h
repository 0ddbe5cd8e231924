#pragma once

#include "app/Globals.h"
#include "device/AnnotatedMutexLocker.h"

// g_CurrentDevice as the device link reads and writes it: under
// g_CurrentDeviceMutex, since the report callback records the firmware version
// on the library's thread while the GUI thread replaces the record.
class CurrentDevice
{
public:
    static DeviceAllInfo copy()
    {
        AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
        return g_CurrentDevice;
    }

    static void set(const DeviceAllInfo& info)
    {
        AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
        g_CurrentDevice = info;
    }

    static void setOnline(bool online)
    {
        AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
        g_CurrentDevice.online = online ? 1 : 0;
    }
};
