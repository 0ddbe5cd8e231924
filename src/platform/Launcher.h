#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QUrl;

// Starts the desktop's own mouse settings and opens web addresses. Tests
// replace the two ways out (starting a program, opening an address).
class Launcher
{
public:
    // The mouse settings tool of the running desktop (XDG_CURRENT_DESKTOP) found
    // on PATH, as program and arguments; empty when the desktop is unknown or
    // none of its tools is installed.
    static QStringList mouseSettingsCommand();
    // Starts it detached; false when there is none or it did not start.
    static bool openMouseSettings();
    // Opens `text`, read tolerantly as a web address, when it is an http(s)
    // address with a host; false (nothing opened) otherwise.
    static bool openWebAddress(const QString& text);

    using StartDetached = std::function<bool(const QString& program, const QStringList& arguments)>;
    using OpenUrl = std::function<bool(const QUrl& url)>;
    // Null restores the real ones.
    static void setStartDetached(StartDetached start);
    static void setOpenUrl(OpenUrl open);
};
