#include "core/SettingsFile.h"

#include "core/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace {
// A name beside `path` that no file and no QSettings object of this process
// has used: QSettings keeps what it read of a file by its name and would
// answer a read-back from memory rather than from the disk.
QString freshNameBeside(const QString& path, const char* suffix)
{
    for (;;) {
        const QString name = QStringLiteral("%1.%2%3")
                                 .arg(path)
                                 .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'))
                                 .arg(QLatin1String(suffix));
        if (!QFileInfo::exists(name))
            return name;
    }
}

// QSettings takes a file it read before for unchanged while its size and time
// stamp are; a new file of the same size written within the file system's
// time-stamp step would not be read again. Its time is set past the old one's.
void stampAfter(const QString& newPath, const QString& oldPath)
{
    const QFileInfo old(oldPath);
    if (!old.exists())
        return;
    const QDateTime oldTime = old.lastModified();
    if (QFileInfo(newPath).lastModified() > oldTime)
        return;
    QFile file(newPath);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(oldTime.addMSecs(1), QFileDevice::FileModificationTime);
}
}  // namespace

SettingsFile::SettingsFile(const QString& path, QSettings::Format format, const char* codec)
    : m_path(path)
    , m_format(format)
    , m_codec(codec)
{
}

bool SettingsFile::readFrom(const QString& path, QVariantMap* values) const
{
    values->clear();
    QSettings settings(path, m_format);
    if (m_codec)
        settings.setIniCodec(m_codec);
    const QStringList keys = settings.allKeys();
    // QSettings reads a file it cannot open as an empty one and says so only
    // here. Lines it cannot parse are skipped (FormatError): what the program
    // can read of such a file is all read.
    if (settings.status() == QSettings::AccessError)
        return false;
    for (const QString& key : keys)
        values->insert(key, settings.value(key));
    return true;
}

bool SettingsFile::read(QVariantMap* values) const
{
    return readFrom(m_path, values);
}

bool SettingsFile::write(const QVariantMap& values) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    // QSettings writes no file without a value.
    if (values.isEmpty())
        return AtomicFile::write(m_path, QByteArray());
    const QString written = freshNameBeside(m_path, "");
    {
        QSettings settings(written, m_format);
        if (m_codec)
            settings.setIniCodec(m_codec);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            QFile::remove(written);
            return false;
        }
    }
    // Read back under another new name, so that the bytes on disk are read.
    const QString checked = freshNameBeside(m_path, ".check");
    if (std::rename(QFile::encodeName(written).constData(), QFile::encodeName(checked).constData()) != 0) {
        QFile::remove(written);
        return false;
    }
    QVariantMap back;
    bool whole = readFrom(checked, &back) && back == values;
    if (whole) {
        if (QFileInfo::exists(m_path))
            QFile::setPermissions(checked, QFileInfo(m_path).permissions());
        stampAfter(checked, m_path);
        // rename(2) replaces the old file in one step, which QFile::rename does not.
        whole = std::rename(QFile::encodeName(checked).constData(), QFile::encodeName(m_path).constData()) == 0;
    }
    if (!whole)
        QFile::remove(checked);
    return whole;
}
