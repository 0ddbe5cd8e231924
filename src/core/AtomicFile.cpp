#include "core/AtomicFile.h"

#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

bool AtomicFile::write(const QString& path, const QByteArray& bytes, QString* error)
{
    // Unbuffered, so that a short write shows at write() and not only inside commit().
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError;
    // Where the file system reports a lack of room only when the data goes to
    // the disk, the sync is the first to see it; commit() ignores its result.
    QString reason;
    if (written && ::fsync(file.handle()) != 0) {
        reason = qt_error_string(errno);
        written = false;
    }
    if (written && file.commit())
        return true;
    if (error)
        *error = reason.isEmpty() ? file.errorString() : reason;
    file.cancelWriting();
    return false;
}
