#include "core/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <pwd.h>
#include <unistd.h>

#include <vector>

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
    const QByteArray fromEnv = qgetenv("HOME");
    if (!fromEnv.isEmpty())
        return QDir::homePath();
    // QDir::homePath() would give "/" here.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size_t(size > 0 ? size : 16384));
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] == '/')
        return QDir::cleanPath(QFile::decodeName(found->pw_dir));
    return QDir::homePath();
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
