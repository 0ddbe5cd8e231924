#include "WriteWatch.h"

#include "ProbeOutput.h"

#include <HidSimControl.h>

#include <QCoreApplication>
#include <QEvent>

#include <chrono>

namespace {
constexpr qint64 kGiveUpNs = 60'000'000'000;
constexpr auto kPollInterval = std::chrono::microseconds(250);

const QEvent::Type kProbeType = QEvent::Type(QEvent::registerEventType());

class ProbeEvent : public QEvent
{
public:
    explicit ProbeEvent(qint64 postedNs)
        : QEvent(kProbeType), postedNs(postedNs)
    {
    }
    const qint64 postedNs;
};
}

WriteWatch::WriteWatch(const QString& mouseId, quint8 code, Callback done, QObject* parent)
    : QObject(parent), m_mouseId(mouseId), m_code(code), m_done(std::move(done))
{
}

WriteWatch::WriteWatch(const QString& mouseId, Check holds, Callback done, QObject* parent)
    : QObject(parent), m_mouseId(mouseId), m_holds(std::move(holds)), m_done(std::move(done))
{
}

WriteWatch::~WriteWatch()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void WriteWatch::start()
{
    m_thread = std::thread([this] { run(); });
}

bool WriteWatch::event(QEvent* event)
{
    if (event->type() != kProbeType)
        return QObject::event(event);
    const qint64 waited = ProbeOutput::nowNs() - static_cast<ProbeEvent*>(event)->postedNs;
    qint64 longest = m_longestBusyNs.load();
    while (waited > longest && !m_longestBusyNs.compare_exchange_weak(longest, waited)) {
    }
    m_probeQueued = false;
    return true;
}

void WriteWatch::run()
{
    const qint64 start = ProbeOutput::nowNs();
    qint64 doneNs = -1;
    while (!m_stop) {
        if (!m_probeQueued.exchange(true))
            QCoreApplication::postEvent(this, new ProbeEvent(ProbeOutput::nowNs()));
        bool holds = false;
        if (m_holds) {
            holds = m_holds(hidsim::HidSimControl::configImage(m_mouseId));
        } else {
            const QByteArray flash = hidsim::HidSimControl::flash(m_mouseId);
            holds = !flash.isEmpty() && quint8(flash.at(0)) == m_code;
        }
        const qint64 now = ProbeOutput::nowNs();
        if (holds) {
            doneNs = now;
            break;
        }
        if (now - start > kGiveUpNs)
            break;
        std::this_thread::sleep_for(kPollInterval);
    }
    // Queued behind the probe events already posted, so their waits are counted.
    QMetaObject::invokeMethod(this, [this, doneNs] { finish(doneNs); }, Qt::QueuedConnection);
}

void WriteWatch::finish(qint64 doneNs)
{
    if (m_thread.joinable())
        m_thread.join();
    if (m_done)
        m_done(doneNs, m_longestBusyNs.load());
}
