#include "platform/Registry.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/SettingsFile.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStringList>

namespace {
QMutex s_mutex;

// A name with a separator would reach into another key, and an empty one
// would address the whole key (remove() would drop all its values).
bool validName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString keyFor(const QString& keyPath, const QString& name)
{
    const QString group = Registry::groupFor(keyPath);
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

bool stripPrefix(QStringList& parts, const QStringList& alternatives)
{
    if (!parts.isEmpty()) {
        for (const QString& a : alternatives) {
            if (parts.first().compare(a, Qt::CaseInsensitive) == 0) {
                parts.removeFirst();
                return true;
            }
        }
    }
    return false;
}
}

QString Registry::groupFor(const QString& keyPath)
{
    QString path = keyPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    stripPrefix(parts, {QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKCU")});
    stripPrefix(parts, {QStringLiteral("Software")});
    return parts.join(QLatin1Char('/'));
}

QString Registry::filePath()
{
    // As the desktop's config folder, but below the account's home folder when
    // HOME is unset rather than at the file system's root.
    const QString xdg = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    const QString config = xdg.isEmpty() ? AppPaths::homeDir() + QStringLiteral("/.config") : xdg;
    return config + QLatin1Char('/') + g_AppName + QStringLiteral("/Registry.ini");
}

QVariant Registry::value(const QString& keyPath, const QString& name, const QVariant& defaultValue)
{
    if (!validName(name))
        return defaultValue;
    QMutexLocker lock(&s_mutex);
    QSettings settings(filePath(), QSettings::NativeFormat);
    return settings.value(keyFor(keyPath, name), defaultValue);
}

bool Registry::contains(const QString& keyPath, const QString& name)
{
    if (!validName(name))
        return false;
    QMutexLocker lock(&s_mutex);
    QSettings settings(filePath(), QSettings::NativeFormat);
    return settings.contains(keyFor(keyPath, name));
}

bool Registry::setValue(const QString& keyPath, const QString& name, const QVariant& value)
{
    if (!validName(name))
        return false;
    QMutexLocker lock(&s_mutex);
    const SettingsFile file(filePath(), QSettings::NativeFormat);
    // A file that could not be read would be replaced by this one value.
    QVariantMap values;
    if (!file.read(&values))
        return false;
    values.insert(keyFor(keyPath, name), value);
    return file.write(values);
}

bool Registry::remove(const QString& keyPath, const QString& name)
{
    if (!validName(name))
        return false;
    QMutexLocker lock(&s_mutex);
    const SettingsFile file(filePath(), QSettings::NativeFormat);
    QVariantMap values;
    if (!file.read(&values))
        return false;
    if (!values.contains(keyFor(keyPath, name)))
        return true;
    values.remove(keyFor(keyPath, name));
    return file.write(values);
}

QString Registry::languageKeyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + g_AppName + QLatin1Char('\\') + g_AppName
        + QLatin1Char('\\') + g_AppName;
}

QString Registry::mouseDriveTestKeyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + g_AppName + QLatin1Char('\\') + g_AppName
        + QStringLiteral("\\Mouse Drive Test");
}

QString Registry::mouseVersionName(const QString& customerId, const QString& modelId)
{
    return QStringLiteral("MouseVer") + customerId + modelId;
}

QString Registry::runKeyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}
