#pragma once

#include "device/AnnotatedMutexLocker.h"  // DESKLINK_TSAN_ANNOTATIONS

// Tells ThreadSanitizer about an order that Qt establishes inside its own library,
// where the sanitizer cannot see it: what one thread did before release(token)
// happens before what another does after acquire(token). No effect otherwise.
class SanitizerHandOver
{
public:
    static void release(const void* token)
    {
#ifdef DESKLINK_TSAN_ANNOTATIONS
        __tsan_release(const_cast<void*>(token));
#else
        Q_UNUSED(token)
#endif
    }

    static void acquire(const void* token)
    {
#ifdef DESKLINK_TSAN_ANNOTATIONS
        __tsan_acquire(const_cast<void*>(token));
#else
        Q_UNUSED(token)
#endif
    }
};
