#pragma once

#include <QString>
#include <QStringList>

// "UpDateLog.txt" in the data folder's "Exception": the device library's log of
// each failed or repaired firmware transfer. Entries are appended, each under a
// time stamp; the file is kept below a size bound by dropping its oldest part.
// GUI thread.
class UpdateLog
{
public:
    static constexpr qint64 kMaxBytes = 256 * 1024;

    static QString filePath();
    // Appends "<time stamp> <title>" and the lines; false when they cannot all be
    // written, and the log then keeps its earlier entries as they were.
    static bool append(const QString& title, const QStringList& lines);
    // The device library's eight log lines of its last transfer.
    static QStringList libraryLines();
};
