#include "ui/settings/UpdateLog.h"

#include "core/AppPaths.h"
#include "core/AtomicFile.h"

#include <HIDUsb.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString UpdateLog::filePath()
{
    return AppPaths::dataSubdir(QStringLiteral("Exception")) + QStringLiteral("/UpDateLog.txt");
}

bool UpdateLog::append(const QString& title, const QStringList& lines)
{
    QString entry = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss ")) + title + '\n';
    for (const QString& line : lines)
        entry += line + '\n';
    const QByteArray added = entry.toUtf8();

    QDir().mkpath(QFileInfo(filePath()).absolutePath());
    QFile existing(filePath());
    QByteArray kept;
    if (existing.open(QIODevice::ReadOnly))
        kept = existing.readAll();
    existing.close();
    if (kept.size() + added.size() > kMaxBytes) {
        // Drop the oldest entries, cutting at a line start.
        const qint64 keep = qMax<qint64>(0, kMaxBytes / 2 - added.size());
        kept = kept.right(int(keep));
        const int lineStart = kept.indexOf('\n');
        kept = lineStart < 0 ? QByteArray() : kept.mid(lineStart + 1);
        return AtomicFile::write(filePath(), kept + added);
    }
    QFile file(filePath());
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered))
        return false;
    if (file.write(added) == added.size())
        return true;
    // A part of an entry would read as the start of the next one: the log ends
    // where it ended before.
    file.resize(kept.size());
    return false;
}

QStringList UpdateLog::libraryLines()
{
    QStringList lines;
    char** logs = UsbUpgradeC_GetLogs();
    for (int i = 0; logs && i < 8; ++i)
        lines << QString::fromLocal8Bit(logs[i] ? logs[i] : "");
    return lines;
}
