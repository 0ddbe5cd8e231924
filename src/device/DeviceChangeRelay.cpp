#include "device/DeviceChangeRelay.h"

#include "device/AnnotatedMutexLocker.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaObject>
#include <QMutex>

namespace {
QMutex s_queuedMutex;
QList<DeviceChangeRelay::Handler> s_queued;  // posted, not yet delivered

// GUI thread only.
bool s_running = false;
QList<DeviceChangeRelay::Handler> s_deferred;  // arrived while a handler ran
}

void DeviceChangeRelay::post(Handler handler)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!handler || !app)
        return;
    {
        AnnotatedMutexLocker lock(s_queuedMutex);
        if (s_queued.contains(handler))
            return;
        s_queued.append(handler);
    }
    QMetaObject::invokeMethod(app, [handler] { deliver(handler); }, Qt::QueuedConnection);
}

bool DeviceChangeRelay::isHandling()
{
    return s_running;
}

void DeviceChangeRelay::deliver(Handler handler)
{
    {
        AnnotatedMutexLocker lock(s_queuedMutex);
        s_queued.removeOne(handler);
    }
    if (s_running) {
        if (!s_deferred.contains(handler))
            s_deferred.append(handler);
        return;
    }
    s_running = true;
    handler();
    while (!s_deferred.isEmpty())
        s_deferred.takeFirst()();
    s_running = false;
}
