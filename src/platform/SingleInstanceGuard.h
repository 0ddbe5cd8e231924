#pragma once

#include <QString>

// Keeps the program to one running instance per user with an exclusive flock()
// on a lock file. The kernel drops the lock when the holding process ends in
// any way (exit, crash, SIGKILL), so a dead instance never blocks a new start.
class SingleInstanceGuard
{
public:
    enum Result {
        Acquired,      // this process is now the running instance
        HeldElsewhere, // another live process holds the lock
        Unavailable    // the lock file could not be opened or locked
    };

    explicit SingleInstanceGuard(const QString& lockFilePath);
    // Releases the lock, if held.
    ~SingleInstanceGuard();

    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // Tries once, without waiting. Calling it again while held returns Acquired.
    Result tryAcquire();
    bool isHeld() const { return m_fd >= 0; }
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};
