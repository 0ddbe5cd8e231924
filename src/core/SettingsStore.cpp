#include "core/SettingsStore.h"

#include "app/Globals.h"
#include "core/AppPaths.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QSettings>
#include <QVariant>

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
    , m_settings(new QSettings(m_path, QSettings::IniFormat))
{
    m_settings->setIniCodec("UTF-8");
    // QSettings posts itself update events; a store first used on a short-lived
    // thread must not stay bound to it.
    if (QCoreApplication* app = QCoreApplication::instance())
        m_settings->moveToThread(app->thread());
}

SettingsStore::~SettingsStore()
{
    delete m_settings;
}

QString SettingsStore::value(const QString& group, const QString& key)
{
    QMutexLocker lock(&m_mutex);
    const QVariant v = m_settings->value(group + QLatin1Char('/') + key);
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool SettingsStore::setValue(const QString& group, const QString& key, const QString& value)
{
    QMutexLocker lock(&m_mutex);
    m_settings->setValue(group + QLatin1Char('/') + key, value);
    // The program may end by exit() or a crash; the value must already be on disk.
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool SettingsStore::remove(const QString& group, const QString& key)
{
    QMutexLocker lock(&m_mutex);
    m_settings->remove(group + QLatin1Char('/') + key);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
