#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The program's entry sequence: prepares the per-user data folder, clears out
// old logs and crash dumps, keeps the program to one instance per user and
// hands over to the top window and the event loop.
class AppStartup
{
public:
    // Runs the whole sequence and returns the process exit code.
    static int run(int argc, char* argv[]);

    // Subfolders of the data folder, in the order they are created.
    static QStringList dataSubfolders();

    // Creates the missing subfolders and an empty Macro.ini when there is none.
    // An existing Macro.ini is never touched. Failures are ignored.
    static void prepareDataFolder();

    // Removes every file (not subfolder) of `folder` whose age in whole days,
    // rounded down, is more than 7. Files dated in the future stay.
    static void RemoveOldFiles(const QString& folder);
    static void RemoveOldFiles(const QString& folder, const QDateTime& now);

    // Path of the lock file that marks a running instance.
    static QString instanceLockPath();
    // The second lock, in the runtime folder, named after the data folder; it
    // keeps the guard when the data folder cannot be written. "" without a
    // runtime folder.
    static QString runtimeLockPath();
};
