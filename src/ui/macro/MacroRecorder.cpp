#include "ui/macro/MacroRecorder.h"

#include <limits>
#include <utility>

MacroRecorder::MacroRecorder(NameOf nameOf, Clock clock)
    : m_nameOf(std::move(nameOf))
    , m_clock(std::move(clock))
{
    m_timer.start();
}

qint64 MacroRecorder::now() const
{
    return m_clock ? m_clock() : m_timer.elapsed();
}

void MacroRecorder::start()
{
    m_active = true;
    m_firstEvent = true;
    m_keyEvents = 0;
    m_held.clear();
    m_last = now();
    m_lastEventTime = 0;
}

void MacroRecorder::stop()
{
    m_active = false;
    m_keyEvents = 0;
    m_held.clear();
}

MacroRecorder::Step MacroRecorder::onKey(int virtualKey, bool down, quint64 eventTimeMs)
{
    Step step;
    if (!m_active) {
        m_last = now();
        m_lastEventTime = eventTimeMs;
        return step;
    }
    // A held key repeats its press; only its first press counts, and the time
    // it is held ends up in the pause before its release.
    if (down) {
        if (m_held.contains(virtualKey))
            return step;
        m_held.append(virtualKey);
    } else {
        m_held.removeAll(virtualKey);
    }

    const qint64 t = now();
    if (m_firstEvent) {
        m_firstEvent = false;
    } else {
        step.addDelay = true;
        // A window-system clock that went back (it wraps) gives no negative pause.
        const qint64 elapsed = eventTimeMs && m_lastEventTime ? qint64(eventTimeMs - m_lastEventTime) : t - m_last;
        const qint64 measured = qBound<qint64>(0, elapsed, std::numeric_limits<quint32>::max());
        step.delayMs = m_fixedDelay ? m_fixedDelay : quint32(measured);
    }
    m_last = t;
    m_lastEventTime = eventTimeMs;

    // A key without a name adds no row; the next key follows its pause directly.
    if (!m_nameOf || !m_nameOf(virtualKey, &step.name)) {
        m_firstEvent = true;
        return step;
    }
    step.addKey = true;
    step.release = !down;
    if (++m_keyEvents >= kMaxKeyEvents) {
        step.limitReached = true;
        m_active = false;
        m_keyEvents = 0;
        m_held.clear();
    }
    return step;
}

QVector<MacroRecorder::Step> MacroRecorder::releaseHeldKeys()
{
    QVector<Step> steps;
    // The limit may end the recording half-way; it clears what is held then.
    while (m_active && !m_held.isEmpty())
        steps.append(onKey(m_held.last(), false));
    return steps;
}
