#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// The GUI thread's pulse while something loads it: a timer ticks every 5 ms and
// the longest gap between two ticks is kept, together with the whole time
// watched. A stall that lasts as long as the load covers nearly all of that
// time; a busy machine only stretches both. Tests therefore bound the gap by a
// share of the time watched, never by a fixed number of milliseconds (the
// benchmark reports the GUI's longest busy time as a figure).
class GuiPulse : public QObject
{
public:
    explicit GuiPulse(QObject* parent = nullptr);

    void start();
    void stop();

    qint64 longestGapMs() const { return m_longestGap; }
    qint64 watchedMs() const { return m_watched; }
    // True when no gap was as long as `share` of the time watched.
    bool keptBeating(double share) const;
    QString describe() const;

private:
    QTimer m_heart;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_sinceStart;
    qint64 m_longestGap = 0;
    qint64 m_watched = 0;
};
