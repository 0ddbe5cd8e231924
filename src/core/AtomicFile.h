#pragma once

#include <QByteArray>
#include <QString>

// Replaces a stored file in one step: the new bytes go to a file beside it,
// which takes the old one's place only once every byte is on disk. A write that
// stops short (a full disk, a file-size limit, a folder that cannot be written)
// leaves the old file as it was, or no file where there was none.
//
// QSaveFile alone does not ensure this on Qt 5.15: it buffers, and a failure of
// the last flush inside commit() still renames the cut file over the old one.
class AtomicFile
{
public:
    // True once `bytes` are the file's whole content at `path`. False when they
    // could not all be written; `error` (when given) then says why.
    static bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);
};
