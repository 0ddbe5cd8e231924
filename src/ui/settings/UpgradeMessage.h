#pragma once

// The device library's firmware-transfer messages: 7, then the kind (1
// progress, 2 end) and its value (percent, or 1 for success). They arrive on
// the library's own thread; the pages, the registry and the log are touched
// only on the GUI thread.
class UpgradeMessage
{
public:
    // Hands kind and value of a transfer message to `onGuiThread`, queued on
    // the GUI thread; anything else the library sends is dropped. A plain
    // function: what crosses the threads is copied whole into Qt's event, which
    // the thread sanitizer knows as a hand-over.
    static void forward(const unsigned char* message, void (*onGuiThread)(int kind, int value));
};
