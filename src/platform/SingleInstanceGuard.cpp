#include "platform/SingleInstanceGuard.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstanceGuard::SingleInstanceGuard(const QString& lockFilePath, const QString& secondLockFilePath)
    : m_path(lockFilePath)
    , m_secondPath(secondLockFilePath)
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    // The files themselves stay: removing one would let two processes lock two
    // different files of the same name.
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_secondFd >= 0)
        ::close(m_secondFd);
}

SingleInstanceGuard::Result SingleInstanceGuard::tryAcquire()
{
    if (isHeld())
        return Acquired;
    const Result first = lockFile(m_path, &m_fd);
    if (first == HeldElsewhere)
        return HeldElsewhere;
    const Result second = m_secondPath.isEmpty() ? Unavailable : lockFile(m_secondPath, &m_secondFd);
    if (second == HeldElsewhere) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        return HeldElsewhere;
    }
    return isHeld() ? Acquired : Unavailable;
}

SingleInstanceGuard::Result SingleInstanceGuard::lockFile(const QString& filePath, int* out)
{
    const QByteArray path = QFile::encodeName(filePath);
    // O_CLOEXEC: a program we start must not inherit the descriptor and keep
    // the lock alive after we are gone.
    int fd;
    do {
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Unavailable;

    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? HeldElsewhere : Unavailable;
    }
    *out = fd;
    return Acquired;
}
