#include "device/WorkingImage.h"

#include "app/Globals.h"
#include "device/AnnotatedMutexLocker.h"


namespace {
bool s_current = false;  // guarded by g_FlashDataMutex
int s_profile = -1;       // guarded by g_FlashDataMutex
}

bool WorkingImage::isCurrentLocked()
{
    return s_current;
}

void WorkingImage::setCurrentLocked(bool current)
{
    s_current = current;
    s_profile = -1;
}

int WorkingImage::profileLocked()
{
    return s_profile;
}

void WorkingImage::setProfileLocked(int profile)
{
    s_profile = profile;
}

bool WorkingImage::isCurrent()
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    return s_current;
}

void WorkingImage::setCurrent(bool current)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    setCurrentLocked(current);
}
