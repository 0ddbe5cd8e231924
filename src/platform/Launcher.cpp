#include "platform/Launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
struct DesktopTool
{
    const char* desktop;  // an entry of XDG_CURRENT_DESKTOP, compared without case
    const char* program;
    const char* arguments;  // space-separated, may be empty
};

// Tried in this order; the first desktop entry that matches and whose program is
// installed wins.
const DesktopTool kTools[] = {
    {"GNOME", "gnome-control-center", "mouse"},
    {"Unity", "gnome-control-center", "mouse"},
    {"KDE", "systemsettings", "kcm_mouse"},
    {"KDE", "systemsettings5", "mouse"},
    {"KDE", "kcmshell5", "mouse"},
    {"XFCE", "xfce4-mouse-settings", ""},
    {"MATE", "mate-mouse-properties", ""},
    {"X-Cinnamon", "cinnamon-settings", "mouse"},
    {"Cinnamon", "cinnamon-settings", "mouse"},
    {"LXQt", "lxqt-config-input", ""},
};

Launcher::StartDetached& startDetached()
{
    static Launcher::StartDetached start;
    return start;
}

Launcher::OpenUrl& openUrl()
{
    static Launcher::OpenUrl open;
    return open;
}
}

QStringList Launcher::mouseSettingsCommand()
{
    const QStringList desktops =
        QString::fromLocal8Bit(qgetenv("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& desktop : desktops) {
        for (const DesktopTool& tool : kTools) {
            if (desktop.compare(QLatin1String(tool.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString program = QStandardPaths::findExecutable(QLatin1String(tool.program));
            if (program.isEmpty())
                continue;
            return QStringList(program) + QString::fromLatin1(tool.arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
    }
    return QStringList();
}

bool Launcher::openMouseSettings()
{
    QStringList command = mouseSettingsCommand();
    if (command.isEmpty())
        return false;
    const QString program = command.takeFirst();
    if (startDetached())
        return startDetached()(program, command);
    return QProcess::startDetached(program, command);
}

bool Launcher::openWebAddress(const QString& text)
{
    const QUrl url = QUrl::fromUserInput(text.trimmed());
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return false;
    if (openUrl())
        return openUrl()(url);
    return QDesktopServices::openUrl(url);
}

void Launcher::setStartDetached(StartDetached start)
{
    startDetached() = std::move(start);
}

void Launcher::setOpenUrl(OpenUrl open)
{
    openUrl() = std::move(open);
}
