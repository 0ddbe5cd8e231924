#pragma once

#include <QFile>
#include <QString>

// A folder the program cannot write while the object lives. Root writes into
// read-only folders, so there this thread's file checks run as nobody, still
// allowed to read everything.
class UnwritableFolder
{
public:
    explicit UnwritableFolder(const QString& folder);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

private:
    QString m_folder;
    QFile::Permissions m_permissions;
};
