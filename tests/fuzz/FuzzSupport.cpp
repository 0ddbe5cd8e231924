#include "FuzzSupport.h"

#include "core/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
QTemporaryDir* g_root = nullptr;
QCoreApplication* g_app = nullptr;
long long g_fileTime = 1000000000;  // any fixed start: only the difference matters

QString tempBase()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}
}

namespace FuzzSupport {

void init(int* argc, char*** argv, bool widgets)
{
    if (g_root)
        return;
    g_root = new QTemporaryDir(tempBase() + QStringLiteral("/desklink-fuzz-XXXXXX"));
    if (!g_root->isValid())
        fail("no temporary folder");
    const QByteArray home = QFile::encodeName(homeDir());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_RUNTIME_DIR", home + "/run");
    qputenv("HIDSIM_DIR", home + "/hidsim");
    QDir().mkpath(homeDir() + QStringLiteral("/run"));
    QFile::setPermissions(homeDir() + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(appDir());
    AppPaths::setApplicationDirOverride(appDir());
    g_app = widgets ? new QApplication(*argc, *argv) : new QCoreApplication(*argc, *argv);
    // The folder goes with a normal exit; after a finding it stays for a look.
    std::atexit([] { delete g_root; g_root = nullptr; });
}

QString homeDir()
{
    return g_root->path() + QStringLiteral("/home");
}

QString appDir()
{
    return g_root->path() + QStringLiteral("/app");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write an input file");
    file.close();
    ++g_fileTime;
    const struct timespec times[2] = {{g_fileTime, 0}, {g_fileTime, 0}};
    if (utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        fail("cannot set a file time");
}

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz target: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace FuzzSupport
