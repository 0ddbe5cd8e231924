#pragma once

#include <QSettings>
#include <QString>
#include <QVariantMap>

// A file of QSettings' own format (INI), read and written whole. A write that
// cannot all reach the disk keeps the old file as it was and says so.
//
// QSettings alone does neither: its final flush may fail inside its save
// file's commit, which then renames a cut file over the old one and leaves
// status() at NoError; and a QSettings object keeps the first error it met,
// so every later write looks failed. Here the file is written beside the old
// one under a new name, read back, and renamed over the old one only when it
// holds every value.
class SettingsFile
{
public:
    // `codec` as for QSettings::setIniCodec; null keeps QSettings' default.
    SettingsFile(const QString& path, QSettings::Format format, const char* codec = nullptr);

    // Every key ("group/name") and its value into *values; empty when the file
    // is absent. False, with *values empty, when the file is there but could
    // not be read (no permission to read it, a folder in its place): what it
    // holds is unknown, so no write may be built on that read.
    bool read(QVariantMap* values) const;
    // Replaces the whole file with `values`. False when it could not be
    // written; the file at the path is then as it was.
    bool write(const QVariantMap& values) const;

    QString path() const { return m_path; }

private:
    bool readFrom(const QString& path, QVariantMap* values) const;

    QString m_path;
    QSettings::Format m_format;
    const char* m_codec;
};
