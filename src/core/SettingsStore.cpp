#include "core/SettingsStore.h"

#include "app/Globals.h"
#include "core/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutexLocker>
#include <QVariant>

namespace {
// QSettings writes under the lock file "<file>.lock". A process killed between
// creating that file and writing its owner into it leaves a lock that QSettings
// only takes for stale after 30 s: every write would wait that long. Only the
// running instance writes Macro.ini, and this store is made before its first
// write, so a lock without an owner found now is such a leftover.
void removeLeftoverLock(const QString& settingsPath)
{
    const QString lockPath = settingsPath + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockPath))
        return;
    qint64 pid = 0;
    QString host;
    QString application;
    // A lock that names its owner is left to QSettings, which checks that owner.
    if (!QLockFile(lockPath).getLockInfo(&pid, &host, &application))
        QFile::remove(lockPath);
}
}

SettingsStore* SettingsStore::instance()
{
    QMutexLocker lock(&g_SettingsStoreMutex);
    if (!g_SettingsStore)
        g_SettingsStore = new SettingsStore;
    return g_SettingsStore;
}

void SettingsStore::resetForTests()
{
    QMutexLocker lock(&g_SettingsStoreMutex);
    delete g_SettingsStore;
    g_SettingsStore = nullptr;
}

SettingsStore::SettingsStore()
    : m_path(AppPaths::macroIniPath())
    , m_file(m_path, QSettings::IniFormat, "UTF-8")
{
    removeLeftoverLock(m_path);
    m_read = m_file.read(&m_values);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const QString& group, const QString& key)
{
    QMutexLocker lock(&m_mutex);
    const QVariant v = m_values.value(group + QLatin1Char('/') + key);
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool SettingsStore::knowsFile()
{
    // The file may have become readable since.
    if (!m_read)
        m_read = m_file.read(&m_values);
    return m_read;
}

bool SettingsStore::store(const QVariantMap& values)
{
    // The program may end by exit() or a crash; the value must already be on disk.
    if (!m_file.write(values))
        return false;
    m_values = values;
    return true;
}

bool SettingsStore::setValue(const QString& group, const QString& key, const QString& value)
{
    QMutexLocker lock(&m_mutex);
    if (!knowsFile())
        return false;
    QVariantMap values = m_values;
    values.insert(group + QLatin1Char('/') + key, value);
    return store(values);
}

bool SettingsStore::remove(const QString& group, const QString& key)
{
    QMutexLocker lock(&m_mutex);
    if (!knowsFile())
        return false;
    QVariantMap values = m_values;
    values.remove(group + QLatin1Char('/') + key);
    return store(values);
}
