#include "core/ConfigSettings.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "device/AnnotatedMutexLocker.h"

#include <QColor>
#include <QCoreApplication>
#include <QMutexLocker>
#include <QSettings>
#include <QVariant>

namespace {
QString variantText(const QVariant& v)
{
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}
}

ConfigSettings* ConfigSettings::instance()
{
    AnnotatedMutexLocker lock(g_ConfigSettingsMutex);
    if (!g_ConfigSettings)
        g_ConfigSettings = new ConfigSettings;
    return g_ConfigSettings;
}

void ConfigSettings::resetForTests()
{
    AnnotatedMutexLocker lock(g_ConfigSettingsMutex);
    delete g_ConfigSettings;
    g_ConfigSettings = nullptr;
}

ConfigSettings::ConfigSettings()
    : m_path(AppPaths::configIniPath())
    , m_settings(new QSettings(m_path, QSettings::IniFormat))
{
    m_settings->setIniCodec("UTF-8");
    // QSettings posts itself update events; a store first used on a short-lived
    // thread must not stay bound to it.
    if (QCoreApplication* app = QCoreApplication::instance())
        m_settings->moveToThread(app->thread());
}

ConfigSettings::~ConfigSettings()
{
    delete m_settings;
}

bool ConfigSettings::isBase64Key(const QString& key)
{
    static const QStringList keys = {
        "MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID", "USB_PID",
        "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID"};
    return keys.contains(key);
}

QString ConfigSettings::decodeBase64(const QString& raw)
{
    QString text = QString::fromUtf8(QByteArray::fromBase64(raw.toUtf8()));
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char(' '));
    return text;
}

QString ConfigSettings::value(const QString& group, const QString& key)
{
    QVariant raw;
    {
        QMutexLocker lock(&m_mutex);
        raw = m_settings->value(group + QLatin1Char('/') + key);
    }
    const QString text = variantText(raw);
    return isBase64Key(key) ? decodeBase64(text) : text;
}

QStringList ConfigSettings::valueList(const QString& group, const QString& key)
{
    QVariant raw;
    {
        QMutexLocker lock(&m_mutex);
        raw = m_settings->value(group + QLatin1Char('/') + key);
    }
    if (!raw.isValid() || (raw.type() == QVariant::String && raw.toString().isEmpty()))
        return QStringList();
    QStringList list = raw.toStringList();
    if (isBase64Key(key)) {
        for (QString& item : list)
            item = decodeBase64(item);
    }
    return list;
}

bool ConfigSettings::colourParts(const QString& key, int rgb[3])
{
    const QStringList items = valueList(QStringLiteral("Option"), key);
    if (items.size() < 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        rgb[i] = items.at(i).trimmed().toInt(&ok);
        if (!ok || rgb[i] < 0 || rgb[i] > 255)
            return false;
    }
    return true;
}

bool ConfigSettings::colour(const QString& key, QColor* out)
{
    int rgb[3];
    if (!colourParts(key, rgb))
        return false;
    if (out)
        *out = QColor(rgb[0], rgb[1], rgb[2]);
    return true;
}

bool ConfigSettings::colourText(const QString& key, QString* out)
{
    int rgb[3];
    if (!colourParts(key, rgb))
        return false;
    if (out)
        *out = QStringLiteral("%1,%2,%3").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]);
    return true;
}
