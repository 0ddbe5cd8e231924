#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;

// The three independent key-capture modules: the macro recorder, the
// single-key dialog and the key-combination dialog.
enum class KeyHookModule { Macro, AddKey, GroupKey };

// Called with the virtual-key code (VirtualKeys), whether the key went down,
// and whether it repeats the previous key event's code.
using KeyHookCallback = std::function<void(int virtualKey, bool down, bool repeat)>;

// An owner's handle on its module's key capture. While the module is
// installed, every key press and release delivered to a window of the program
// that is the active window reaches the module's callback once, on the GUI
// thread, before the widget that receives it; nothing is consumed. Keys typed
// into other programs never reach the program, so they are never seen.
//
// Each module keeps its state (installed, callback, last key, flags) for the
// whole program; handles only install and remove it. The callback is tied to
// its owner: once the owner is destroyed it is never called again, whichever
// way the owner went.
class KeyHook
{
public:
    explicit KeyHook(KeyHookModule module);

    void Install();
    // Harmless when not installed. A handle whose owner has handed the module
    // on to another living owner leaves it alone.
    void Uninstall();
    bool IsInstalled() const;
    void SetCallback(QObject* owner, KeyHookCallback callback);

    KeyHookModule module() const { return m_module; }

    // The module's handling of one key event of the program's active window:
    // updates its state and calls its callback. The capture calls this; tests
    // may too.
    static void Procedure(KeyHookModule module, int virtualKey, bool down);

    // While a callback runs for a captured key event: the window system's time
    // stamp of that event in milliseconds; otherwise, or when it has none, 0.
    static quint64 eventTime();

private:
    KeyHookModule m_module;
    QPointer<QObject> m_owner;
    bool m_hasOwner = false;
};
