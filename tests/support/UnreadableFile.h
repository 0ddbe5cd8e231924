#pragma once

#include <QFile>
#include <QString>

// A file the program cannot read while the object lives (mode 0200), in a
// folder it can still write, as for an ordinary user. Root reads whatever the
// mode says, so there this thread gives up its power to override file
// permissions; it stays the owner of everything it made.
class UnreadableFile
{
public:
    explicit UnreadableFile(const QString& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    QString m_path;
    QFile::Permissions m_permissions;
    bool m_overridesDropped = false;
};
