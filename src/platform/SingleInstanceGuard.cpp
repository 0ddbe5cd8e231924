#include "platform/SingleInstanceGuard.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstanceGuard::SingleInstanceGuard(const QString& lockFilePath)
    : m_path(lockFilePath)
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    // The file itself stays: removing it would let two processes lock two
    // different files of the same name.
    if (m_fd >= 0)
        ::close(m_fd);
}

SingleInstanceGuard::Result SingleInstanceGuard::tryAcquire()
{
    if (m_fd >= 0)
        return Acquired;

    const QByteArray path = QFile::encodeName(m_path);
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
    m_fd = fd;
    return Acquired;
}
