#include "platform/AutoStart.h"

#include "app/Globals.h"
#include "core/AtomicFile.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Quoted for the Exec key: inside double quotes `"`, `` ` ``, `$` and `\` take a
// backslash; the entry's string escaping then doubles every backslash, and `%`
// (a field code) is written twice.
QString execArgument(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    return quoted;
}

QString runValueName(const QString& programPath)
{
    return QFileInfo(programPath).completeBaseName();
}
}

QString AutoStart::entryPath()
{
    QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/orvex-desklink.desktop");
}

QByteArray AutoStart::entryText(const QString& programPath)
{
    if (programPath.isEmpty() || QDir::isRelativePath(programPath) || programPath.contains(QLatin1Char('\n'))
        || programPath.contains(QLatin1Char('\r')))
        return QByteArray();
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=%1\n").arg(g_AppName);
    text += QStringLiteral("Exec=%1\n").arg(execArgument(programPath));
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool AutoStart::enable(const QString& programPath)
{
    const QByteArray text = entryText(programPath);
    if (text.isEmpty())
        return false;
    const QString path = entryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    if (!AtomicFile::write(path, text))
        return false;
    // Both or neither: a start the program's own record lacks is taken back.
    if (Registry::setValue(Registry::runKeyPath(), runValueName(programPath), QDir::toNativeSeparators(programPath)))
        return true;
    // If the entry cannot be taken back either, it stays and starts the
    // program: the caller reads that back (isEnabled) and says the change failed.
    QFile::remove(path);
    return false;
}

bool AutoStart::disable(const QString& programPath)
{
    // The entry first: it is what starts the program, and while it stays the
    // record of it stays too.
    const QString path = entryPath();
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return false;
    return Registry::remove(Registry::runKeyPath(), runValueName(programPath));
}

bool AutoStart::isEnabled()
{
    return QFileInfo(entryPath()).isFile();
}
