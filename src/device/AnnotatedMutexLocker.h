#pragma once

#include <QMutex>

#if defined(__SANITIZE_THREAD__)
#define DESKLINK_TSAN_ANNOTATIONS 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define DESKLINK_TSAN_ANNOTATIONS 1
#endif
#endif

#ifdef DESKLINK_TSAN_ANNOTATIONS
#include <sanitizer/tsan_interface.h>
#endif

// Holds a QMutex for a scope, like QMutexLocker. Under ThreadSanitizer it also
// reports the lock: a contended QMutex waits inside the Qt library, which the
// sanitizer cannot see, so it would take every access guarded by the mutex for a
// race. The device link takes g_FlashDataMutex and g_CurrentDeviceMutex this way.
class AnnotatedMutexLocker
{
public:
    explicit AnnotatedMutexLocker(QMutex& mutex)
        : m_mutex(mutex)
    {
#ifdef DESKLINK_TSAN_ANNOTATIONS
        __tsan_mutex_pre_lock(&m_mutex, 0);
#endif
        m_mutex.lock();
#ifdef DESKLINK_TSAN_ANNOTATIONS
        __tsan_mutex_post_lock(&m_mutex, 0, 0);
#endif
    }

    ~AnnotatedMutexLocker()
    {
#ifdef DESKLINK_TSAN_ANNOTATIONS
        __tsan_mutex_pre_unlock(&m_mutex, 0);
#endif
        m_mutex.unlock();
#ifdef DESKLINK_TSAN_ANNOTATIONS
        __tsan_mutex_post_unlock(&m_mutex, 0);
#endif
    }

    AnnotatedMutexLocker(const AnnotatedMutexLocker&) = delete;
    AnnotatedMutexLocker& operator=(const AnnotatedMutexLocker&) = delete;

private:
    QMutex& m_mutex;
};
