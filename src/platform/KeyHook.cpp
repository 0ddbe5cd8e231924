#include "platform/KeyHook.h"

#include "platform/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace {

struct ModuleState
{
    bool installed = false;
    QPointer<QObject> owner;
    bool hasOwner = false;
    KeyHookCallback callback;
    int lastKey = 0;
    bool repeat = false;
    bool down = false;
};

constexpr int kModules = 3;
ModuleState g_modules[kModules];
quint64 g_eventTime = 0;

ModuleState& stateOf(KeyHookModule module)
{
    return g_modules[int(module)];
}

// The application-wide event filter behind every installed module. A key event
// passes the application's filters once per receiver (the window, the focus
// widget, then each parent that lets it through), and a press may first come
// as a shortcut override; each physical press or release is reported once.
class KeyCapture : public QObject
{
public:
    static KeyCapture& instance()
    {
        static KeyCapture* capture = new KeyCapture;  // lives as long as the program
        return *capture;
    }

    void update()
    {
        bool any = false;
        for (const ModuleState& m : g_modules)
            any = any || m.installed;
        if (any == m_filtering || !qApp)
            return;
        m_filtering = any;
        if (any) {
            qApp->installEventFilter(this);
        } else {
            qApp->removeEventFilter(this);
            m_lastEvent = nullptr;
            m_lastReceiver = nullptr;
            m_pendingOverride = false;
        }
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        // A held key repeats as release-press pairs on X11; only its presses
        // repeat (as the module's repeat flag tells), the key goes up once.
        if (type == QEvent::KeyRelease && key->isAutoRepeat())
            return false;

        if (event == m_lastEvent && type == m_lastType && continuesDelivery(receiver)) {
            m_lastReceiver = receiver;
            return false;
        }
        if (!inActiveWindow(receiver))
            return false;
        m_lastEvent = event;
        m_lastType = type;
        m_lastReceiver = receiver;

        const Identity id{key->key(), key->nativeScanCode(), key->nativeVirtualKey(), key->isAutoRepeat(),
                          key->timestamp()};
        if (type == QEvent::ShortcutOverride) {
            if (m_pendingOverride && m_override == id)
                return false;  // the same press overridden once more
            m_pendingOverride = true;
            m_override = id;
        } else if (type == QEvent::KeyPress) {
            const bool seen = m_pendingOverride && m_override.sameKey(id);
            m_pendingOverride = false;
            if (seen)
                return false;
        } else {
            m_pendingOverride = false;
        }

        const int virtualKey = VirtualKeys::fromKeyEvent(key);
        const bool down = type != QEvent::KeyRelease;
        g_eventTime = key->timestamp();
        for (int i = 0; i < kModules; ++i) {
            if (g_modules[i].installed)
                KeyHook::Procedure(KeyHookModule(i), virtualKey, down);
        }
        g_eventTime = 0;
        return false;
    }

private:
    struct Identity
    {
        int key;
        quint32 scanCode;
        quint32 nativeKey;
        bool autoRepeat;
        ulong timestamp;

        bool sameKey(const Identity& o) const
        {
            return key == o.key && scanCode == o.scanCode && nativeKey == o.nativeKey && autoRepeat == o.autoRepeat;
        }
        bool operator==(const Identity& o) const { return sameKey(o) && timestamp == o.timestamp; }
    };

    // The same event object handed on: from the window to a widget in it, or
    // from a widget to one of its ancestors.
    bool continuesDelivery(QObject* receiver) const
    {
        if (!m_lastReceiver)
            return false;
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!widget)
            return false;
        if (m_lastReceiver->isWindowType())
            return true;
        auto* previous = qobject_cast<QWidget*>(m_lastReceiver.data());
        return previous && widget->isAncestorOf(previous);
    }

    static bool inActiveWindow(QObject* receiver)
    {
        QWidget* active = QApplication::activeWindow();
        if (!active)
            return false;
        if (auto* window = qobject_cast<QWindow*>(receiver))
            return window == active->windowHandle();
        auto* widget = qobject_cast<QWidget*>(receiver);
        return widget && widget->window() == active;
    }

    bool m_filtering = false;
    const QEvent* m_lastEvent = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    QPointer<QObject> m_lastReceiver;
    bool m_pendingOverride = false;
    Identity m_override{};
};

} // namespace

KeyHook::KeyHook(KeyHookModule module)
    : m_module(module)
{
}

void KeyHook::Install()
{
    stateOf(m_module).installed = true;
    KeyCapture::instance().update();
}

void KeyHook::Uninstall()
{
    ModuleState& s = stateOf(m_module);
    if (!s.installed)
        return;
    if (m_hasOwner && s.owner && s.owner != m_owner)
        return;
    s.installed = false;
    KeyCapture::instance().update();
}

bool KeyHook::IsInstalled() const
{
    return stateOf(m_module).installed;
}

void KeyHook::SetCallback(QObject* owner, KeyHookCallback callback)
{
    ModuleState& s = stateOf(m_module);
    s.owner = owner;
    s.hasOwner = owner != nullptr;
    s.callback = std::move(callback);
    m_owner = owner;
    m_hasOwner = owner != nullptr;
}

void KeyHook::Procedure(KeyHookModule module, int virtualKey, bool down)
{
    ModuleState& s = stateOf(module);
    if (virtualKey == s.lastKey) {
        s.repeat = true;
    } else {
        s.repeat = false;
        s.lastKey = virtualKey;
    }
    s.down = down;
    if (!down) {
        s.repeat = false;
        s.lastKey = 0;
    }
    if (!s.callback || (s.hasOwner && !s.owner))
        return;
    // A copy: the callback may replace the module's callback while it runs.
    const KeyHookCallback callback = s.callback;
    callback(virtualKey, s.down, s.repeat);
}

quint64 KeyHook::eventTime()
{
    return g_eventTime;
}
