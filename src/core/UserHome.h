#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <pwd.h>
#include <unistd.h>

#include <vector>

// The user's home folder: $HOME, or, when that is unset or empty, the home
// folder of the user's account, so that nothing lands at the file system's
// root (QDir::homePath() gives "/" then). Header-only, because the simulated
// device library, which links none of the program, needs it as well.
class UserHome
{
public:
    static QString path()
    {
        if (!qgetenv("HOME").isEmpty())
            return QDir::homePath();
        long size = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(size_t(size > 0 ? size : 16384));
        passwd entry {};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir
            && found->pw_dir[0] == '/')
            return QDir::cleanPath(QFile::decodeName(found->pw_dir));
        return QDir::homePath();
    }
};
