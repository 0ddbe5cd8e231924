#pragma once

// Whether the working image g_FlashData holds the configuration of the device
// that is open now. Opening a device makes it stale; the device's first full
// read makes it current. Until then nothing may send it: it still holds the
// previous device's configuration (or zeros).
//
// The state is guarded by g_FlashDataMutex, like the image itself.
class WorkingImage
{
public:
    // The caller holds g_FlashDataMutex.
    static bool isCurrentLocked();
    // Forgets the image's profile too.
    static void setCurrentLocked(bool current);
    // The mouse's profile the image was read from; -1 when not known.
    static int profileLocked();
    static void setProfileLocked(int profile);

    // Takes g_FlashDataMutex.
    static bool isCurrent();
    static void setCurrent(bool current);
};
