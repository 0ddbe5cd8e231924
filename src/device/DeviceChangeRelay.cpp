#include "device/DeviceChangeRelay.h"

#include "device/AnnotatedMutexLocker.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaObject>
#include <QMutex>
#include <QObject>

namespace {
QMutex s_queuedMutex;
QList<DeviceChangeRelay::Handler> s_queued;  // posted, not yet delivered
QObject* s_target = nullptr;                 // lives on the GUI thread

// GUI thread only.
bool s_running = false;
QList<DeviceChangeRelay::Handler> s_deferred;  // arrived while a handler ran
}

// Receives the queued call on the GUI thread. The handlers travel in s_queued,
// not in the call, so the call carries no data across threads.
class DeviceChangeRelayTarget : public QObject
{
    Q_OBJECT

public slots:
    void deliverQueued()
    {
        QList<DeviceChangeRelay::Handler> handlers;
        {
            AnnotatedMutexLocker lock(s_queuedMutex);
            handlers.swap(s_queued);
        }
        for (DeviceChangeRelay::Handler handler : handlers)
            DeviceChangeRelay::deliver(handler);
    }
};

void DeviceChangeRelay::post(Handler handler)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!handler || !app)
        return;
    QObject* target = nullptr;
    {
        AnnotatedMutexLocker lock(s_queuedMutex);
        if (s_queued.contains(handler))
            return;
        const bool callPending = !s_queued.isEmpty();
        s_queued.append(handler);
        if (!s_target) {
            s_target = new DeviceChangeRelayTarget;
            s_target->moveToThread(app->thread());
        }
        if (callPending)
            return;  // the call already on its way delivers this one too
        target = s_target;
    }
    QMetaObject::invokeMethod(target, "deliverQueued", Qt::QueuedConnection);
}

bool DeviceChangeRelay::isHandling()
{
    return s_running;
}

void DeviceChangeRelay::deliver(Handler handler)
{
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

#include "DeviceChangeRelay.moc"
