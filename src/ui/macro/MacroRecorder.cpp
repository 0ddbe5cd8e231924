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

QVector<MacroRecorder::Step> MacroRecorder::stop()
{
    QVector<Step> steps;
    if (m_active)
        steps = releaseAll(0);
    end();
    return steps;
}

void MacroRecorder::end()
{
    m_active = false;
    m_keyEvents = 0;
    m_held.clear();
}

int MacroRecorder::indexOfHeld(int virtualKey) const
{
    for (int i = 0; i < m_held.size(); ++i) {
        if (m_held.at(i).virtualKey == virtualKey)
            return i;
    }
    return -1;
}

int MacroRecorder::namedHeld() const
{
    int named = 0;
    for (const Held& held : m_held)
        named += held.named ? 1 : 0;
    return named;
}

QVector<MacroRecorder::Step> MacroRecorder::onKey(int virtualKey, bool down, quint64 eventTimeMs)
{
    if (!m_active) {
        m_last = now();
        m_lastEventTime = eventTimeMs;
        return {};
    }
    // A held key repeats its press; only its first press counts, and the time
    // it is held ends up in the pause before its release.
    const int held = indexOfHeld(virtualKey);
    if (down && held >= 0)
        return {};

    // The places this event takes: its own row, and for a press the place
    // kept for its release; the release of a key held here has its place.
    QString name;
    const bool named = m_nameOf && m_nameOf(virtualKey, &name);
    const int taken = !named ? 0 : down ? 2 : held >= 0 ? 0 : 1;
    if (m_keyEvents + namedHeld() + taken > kMaxKeyEvents) {
        QVector<Step> steps = releaseAll(eventTimeMs);
        if (steps.isEmpty())
            steps.append(Step());
        steps.last().limitReached = true;
        end();
        return steps;
    }

    if (down)
        m_held.append(Held{virtualKey, named});
    else if (held >= 0)
        m_held.remove(held);
    Step step = record(virtualKey, down, eventTimeMs);
    if (step.addKey && m_keyEvents >= kMaxKeyEvents) {
        step.limitReached = true;
        end();
    }
    return {step};
}

MacroRecorder::Step MacroRecorder::record(int virtualKey, bool down, quint64 eventTimeMs)
{
    Step step;
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
    ++m_keyEvents;
    return step;
}

QVector<MacroRecorder::Step> MacroRecorder::releaseAll(quint64 eventTimeMs)
{
    QVector<Step> steps;
    while (!m_held.isEmpty()) {
        const Held held = m_held.takeLast();
        if (held.named)
            steps.append(record(held.virtualKey, false, eventTimeMs));
    }
    return steps;
}

QVector<MacroRecorder::Step> MacroRecorder::releaseHeldKeys()
{
    if (!m_active)
        return {};
    QVector<Step> steps = releaseAll(0);
    // The places were kept: the releases reach the limit at most.
    if (m_keyEvents >= kMaxKeyEvents && !steps.isEmpty()) {
        steps.last().limitReached = true;
        end();
    }
    return steps;
}
