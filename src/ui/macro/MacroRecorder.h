#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QVector>

#include <functional>

// Turns the key reports of a recording into rows: a key row for each press
// and release that has a name, and before every key row but the first a pause
// (measured since the previous key event, or a fixed value). Ends itself at
// 70 key events.
//
// No recording leaves a key pressed: each press keeps a place for its release
// within the 70, and however the recording ends, the keys still down are
// released at that moment, the last pressed first. A press that would leave
// no place for its own release and those of the keys still down ends the
// recording there, without it.
//
// A measured pause is the time between the keys themselves: the window
// system's time stamps of the two events when both carry one, so a busy event
// loop that hands over a held key's press late does not shorten its hold;
// otherwise the clock at the moment each report arrives.
class MacroRecorder
{
public:
    static constexpr int kMaxKeyEvents = 70;

    // What one key report adds to the event list, in this order.
    struct Step
    {
        bool addDelay = false;
        quint32 delayMs = 0;
        bool addKey = false;
        QString name;
        bool release = false;
        bool limitReached = false;  // the recorder has stopped itself
    };

    using NameOf = std::function<bool(int virtualKey, QString* name)>;
    using Clock = std::function<qint64()>;  // monotonic milliseconds

    explicit MacroRecorder(NameOf nameOf, Clock clock = Clock());

    void start();
    // Ends the recording: the releases of the keys still down, to be added.
    QVector<Step> stop();
    bool isActive() const { return m_active; }
    int keyEvents() const { return m_keyEvents; }

    // Fixed pause in milliseconds, or 0 for measured pauses.
    void setFixedDelay(quint32 ms) { m_fixedDelay = ms; }

    // eventTimeMs: the window system's time stamp of the key event, 0 if none.
    // Usually one step; at the limit, the releases that end the recording.
    QVector<Step> onKey(int virtualKey, bool down, quint64 eventTimeMs = 0);

    // The keyboard went to another program: the releases of the keys still
    // down will never be seen, so each is released now, the last pressed
    // first, and the recording goes on. Otherwise the macro would hold them
    // pressed on the mouse for ever.
    QVector<Step> releaseHeldKeys();

private:
    struct Held
    {
        int virtualKey;
        bool named;  // has a row, so its release needs a place
    };

    qint64 now() const;
    int indexOfHeld(int virtualKey) const;
    int namedHeld() const;
    // The pause before a key event and its row (none for a key without a name).
    Step record(int virtualKey, bool down, quint64 eventTimeMs);
    // Releases every named key still down, the last pressed first.
    QVector<Step> releaseAll(quint64 eventTimeMs);
    void end();

    NameOf m_nameOf;
    Clock m_clock;
    QElapsedTimer m_timer;
    qint64 m_last = 0;
    quint64 m_lastEventTime = 0;
    QVector<Held> m_held;  // in the order pressed
    bool m_active = false;
    bool m_firstEvent = true;
    int m_keyEvents = 0;
    quint32 m_fixedDelay = 0;
};
