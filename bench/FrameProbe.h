#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>

// Tells when a window has put a frame on the screen. Qt's widget code paints
// and flushes a top-level window while it handles the window's first expose,
// and later frames while it handles an update request; the probe lets that
// handling run to its end and only then takes the time. It changes nothing
// else: it needs no hook in the program, only an application event filter.
class FrameProbe : public QObject
{
public:
    using Callback = std::function<void(qint64 ns)>;

    // Once: the first frame of the first top-level window of `size` that is exposed.
    static void onFirstFrame(const QSize& size, Callback done);
    // Once: the next frame painted for the top-level widget `window`.
    static void onNextFrame(QWidget* window, Callback done);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FrameProbe();
    static FrameProbe* instance();
    // Lets `watched` handle `event` now and reports the moment it is done.
    static bool handleThenReport(QObject* watched, QEvent* event, Callback done);

    QSize m_firstSize;
    Callback m_firstDone;
    QPointer<QWidget> m_nextWindow;
    Callback m_nextDone;
};
