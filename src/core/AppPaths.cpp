#include "core/AppPaths.h"

#include "core/UserHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex s_overrideMutex;
QString s_applicationDirOverride;
const char kAppName[] = "Orvex DeskLink";
}

QString AppPaths::applicationDir()
{
    {
        QMutexLocker lock(&s_overrideMutex);
        if (!s_applicationDirOverride.isEmpty())
            return s_applicationDirOverride;
    }
    const QByteArray fromEnv = qgetenv("DESKLINK_APP_DIR");
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
    return QCoreApplication::applicationDirPath();
}

QString AppPaths::homeDir()
{
    return UserHome::path();
}

QString AppPaths::dataDir()
{
    return homeDir() + "/AppData/Local/" + QLatin1String(kAppName);
}

QString AppPaths::configIniPath()
{
    return applicationDir() + "/usersetting/Config.ini";
}

QString AppPaths::macroIniPath()
{
    return dataDir() + "/Macro.ini";
}

QString AppPaths::appSubdir(const QString& relative)
{
    return join(applicationDir(), relative);
}

QString AppPaths::dataSubdir(const QString& relative)
{
    return join(dataDir(), relative);
}

void AppPaths::setApplicationDirOverride(const QString& dir)
{
    QMutexLocker lock(&s_overrideMutex);
    s_applicationDirOverride = dir;
}

QString AppPaths::join(const QString& base, const QString& relative)
{
    if (relative.isEmpty())
        return base;
    return relative.startsWith('/') ? base + relative : base + '/' + relative;
}
