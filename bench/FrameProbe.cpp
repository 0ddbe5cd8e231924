#include "FrameProbe.h"

#include "ProbeOutput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

FrameProbe::FrameProbe()
    : QObject(QCoreApplication::instance())
{
    QCoreApplication::instance()->installEventFilter(this);
}

FrameProbe* FrameProbe::instance()
{
    static FrameProbe* probe = new FrameProbe();
    return probe;
}

void FrameProbe::onFirstFrame(const QSize& size, Callback done)
{
    FrameProbe* p = instance();
    p->m_firstSize = size;
    p->m_firstDone = std::move(done);
}

void FrameProbe::onNextFrame(QWidget* window, Callback done)
{
    FrameProbe* p = instance();
    p->m_nextWindow = window;
    p->m_nextDone = std::move(done);
}

bool FrameProbe::handleThenReport(QObject* watched, QEvent* event, Callback done)
{
    // QObject::event is public; the window's own override does the painting.
    watched->event(event);
    done(ProbeOutput::nowNs());
    // Handled here: the filter's caller must not deliver it a second time.
    return true;
}

bool FrameProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (m_firstDone && event->type() == QEvent::Expose && watched->isWindowType()) {
        auto* window = static_cast<QWindow*>(watched);
        if (!window->parent() && window->isExposed() && window->size() == m_firstSize) {
            Callback done = std::move(m_firstDone);
            m_firstDone = nullptr;
            return handleThenReport(watched, event, std::move(done));
        }
    }
    if (m_nextDone && event->type() == QEvent::UpdateRequest && watched == m_nextWindow.data()) {
        Callback done = std::move(m_nextDone);
        m_nextDone = nullptr;
        return handleThenReport(watched, event, std::move(done));
    }
    return QObject::eventFilter(watched, event);
}
