#include "app/AppStartup.h"

#include "app/DialogMain.h"
#include "core/AppPaths.h"
#include "platform/CrashHandler.h"
#include "platform/SingleInstanceGuard.h"
#include "ui/settings/ExeIsRun.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
constexpr qint64 kSecondsPerDay = 86400;
constexpr qint64 kMaxAgeDays = 7;
}

QStringList AppStartup::dataSubfolders()
{
    return {"/Log",
            "/Device_Info",
            "/Exception",
            "/usersetting",
            "/usersetting/MainPage",
            "/usersetting/MacroPage",
            "/usersetting/SensorPage"};
}

void AppStartup::prepareDataFolder()
{
    const QString base = AppPaths::dataDir();
    for (const QString& sub : dataSubfolders()) {
        const QString path = base + sub;
        if (!QDir(path).exists())
            QDir().mkpath(path);
    }

    // NewOnly: a second process starting at the same moment must not truncate
    // a Macro.ini the other one has just written.
    const QString macroIni = AppPaths::macroIniPath();
    if (!QFileInfo::exists(macroIni)) {
        QFile file(macroIni);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::NewOnly))
            file.close();
    }
}

void AppStartup::RemoveOldFiles(const QString& folder)
{
    RemoveOldFiles(folder, QDateTime::currentDateTime());
}

void AppStartup::RemoveOldFiles(const QString& folder, const QDateTime& now)
{
    const qint64 nowSecs = now.toSecsSinceEpoch();
    // The listing is taken once, so removals cannot make an entry be skipped.
    const QFileInfoList entries = QDir(folder).entryInfoList();
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            continue;
        const qint64 age = nowSecs - entry.lastModified().toSecsSinceEpoch();
        if (age < 0)
            continue;
        if (age / kSecondsPerDay > kMaxAgeDays)
            QFile::remove(entry.absoluteFilePath());
    }
}

QString AppStartup::instanceLockPath()
{
    return AppPaths::dataDir() + "/.instance.lock";
}

QString AppStartup::runtimeLockPath()
{
    // One instance per data folder, as the first lock: its path names the file.
    const QByteArray key = QCryptographicHash::hash(AppPaths::dataDir().toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + "/orvex-desklink-" + QString::fromLatin1(key) + ".lock";
}

int AppStartup::run(int argc, char* argv[])
{
    // As early as the data folder is known, so a crash during start-up leaves a dump too.
    CrashHandler::Install();

    prepareDataFolder();
    RemoveOldFiles(AppPaths::dataSubdir("/Log"));
    RemoveOldFiles(AppPaths::dataSubdir("/Exception"));

    QApplication app(argc, argv);

    // Held until the process ends; the kernel drops the lock however the process
    // ends, so a crashed or killed instance never blocks the next start.
    static SingleInstanceGuard* guard = new SingleInstanceGuard(instanceLockPath(), runtimeLockPath());
    if (guard->tryAcquire() == SingleInstanceGuard::HeldElsewhere) {
        ExeIsRun* notice = new ExeIsRun();
        notice->exec();
        delete notice;
        return 0;
    }

    // The top window lives until the process ends.
    DialogMain* mainWindow = new DialogMain();
    mainWindow->show();
    return app.exec();
}
