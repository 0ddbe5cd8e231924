#pragma once

#include "device/FlashDataMap.h"

#include <QObject>

// What the mouse is known to hold, for the pages to show again after a change
// the mouse did not take (it is offline, or not read yet): the control the user
// changed must not go on showing a value the mouse does not have.
//
// GUI thread only.
class HeldImage : public QObject
{
    Q_OBJECT

public:
    static HeldImage* instance();

    // The working image once it has been read from the open device; before
    // that, the image the pages were shown from that device's cache. False when
    // neither is known (the pages then show their defaults).
    static bool get(FlashDataMap* out);

    // A change was refused. Once the handler that made it has returned (the
    // offline notice it raised is closed by then), `show` hands the pages what
    // the mouse holds; a handler that runs on after the refusal would otherwise
    // lay its refused value over it. Refusals in one go give one `show`.
    static void refused();

signals:
    void show(const FlashDataMap& image);

private:
    HeldImage() = default;
    void showNow();

    bool m_pending = false;
};
