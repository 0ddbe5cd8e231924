#pragma once

#include <QString>

// Keeps the program to one running instance per user with an exclusive flock()
// on a lock file. The kernel drops the lock when the holding process ends in
// any way (exit, crash, SIGKILL), so a dead instance never blocks a new start.
//
// A second lock file elsewhere (the runtime folder) is held as well, so that
// the guard still holds when the first file cannot be created (a data folder
// that cannot be written): another live process holding either one makes the
// start a second instance.
class SingleInstanceGuard
{
public:
    enum Result {
        Acquired,      // this process is now the running instance
        HeldElsewhere, // another live process holds the lock
        Unavailable    // the lock file could not be opened or locked
    };

    explicit SingleInstanceGuard(const QString& lockFilePath, const QString& secondLockFilePath = QString());
    // Releases the lock, if held.
    ~SingleInstanceGuard();

    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // Tries once, without waiting. Calling it again while held returns Acquired.
    // Acquired when at least one file could be locked and neither is held by
    // another process; Unavailable when neither could be locked.
    Result tryAcquire();
    bool isHeld() const { return m_fd >= 0 || m_secondFd >= 0; }
    QString lockFilePath() const { return m_path; }

private:
    static Result lockFile(const QString& path, int* fd);

    QString m_path;
    QString m_secondPath;
    int m_fd = -1;
    int m_secondFd = -1;
};
