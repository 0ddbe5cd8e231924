#pragma once

// Hands the device library's device-change calls to the GUI thread.
//
// The library calls the registered callback on one of its own threads, but the
// handlers rebuild widgets and may run modal dialogs. A registered callback
// therefore only posts its handler here; the handler then runs on the GUI thread.
// Calls that arrive before a posted handler has run collapse into one, and a
// change that arrives while any handler runs (say, inside its modal dialog) is
// handled after that handler has returned, never inside it.
class DeviceChangeRelay
{
public:
    using Handler = void (*)();

    // Safe from any thread. Needs a QCoreApplication; without one nothing runs.
    static void post(Handler handler);

    // True while a handler runs (GUI thread only).
    static bool isHandling();

private:
    friend class DeviceChangeRelayTarget;
    static void deliver(Handler handler);
};
