#pragma once

#include <QString>

// Every path the program uses is built here, so that tests can redirect them.
// The application folder holds the delivered, read-only files; the data folder
// holds what the program stores per user.
class AppPaths
{
public:
    // Folder of the executable, unless a test set another one.
    static QString applicationDir();
    // The user's home folder: $HOME, or, when that is unset or empty, the home
    // folder of the user's account, so that nothing lands at the file system's
    // root.
    static QString homeDir();
    // <home>/AppData/Local/<g_AppName>, built anew on every call.
    static QString dataDir();

    // "/usersetting/Config.ini" below the application folder.
    static QString configIniPath();
    // "Macro.ini" in the data folder.
    static QString macroIniPath();
    // Folder below the application folder ("Language", "Picture/Dialog", "bin", ...).
    static QString appSubdir(const QString& relative);
    // Folder below the data folder ("Log", "Device_Info", "Exception", ...).
    static QString dataSubdir(const QString& relative);

    // Tests point the application folder at a fixture; an empty text restores the default.
    static void setApplicationDirOverride(const QString& dir);

private:
    static QString join(const QString& base, const QString& relative);
};
