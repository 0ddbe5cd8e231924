#include "device/DeviceCache.h"

#include "core/AppPaths.h"
#include "core/AtomicFile.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {
// The stored files were written by a Qt 5.9 build; keep that stream format.
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_5_9;
constexpr qint64 kFileSize = 4 + FlashDataMap::kSize;

QString hexByte(quint8 value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}
}

QString DeviceCacheFileName(quint8 cid, quint8 mid)
{
    return QStringLiteral("Device_CID") + hexByte(cid) + QStringLiteral("_MID") + hexByte(mid)
        + QStringLiteral(".bin");
}

QString DeviceCacheFilePath(const QString& name)
{
    return AppPaths::dataSubdir(QStringLiteral("Device_Info")) + QLatin1Char('/') + name;
}

bool SaveDeviceCache(QString name, FlashDataMap image)
{
    if (name.isEmpty())
        return false;
    const QString path = DeviceCacheFilePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray block;
    {
        QDataStream out(&block, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        out.writeBytes(reinterpret_cast<const char*>(&image), FlashDataMap::kSize);
    }
    return AtomicFile::write(path, block);
}

bool LoadDeviceCache(QString name, FlashDataMap* out)
{
    if (name.isEmpty() || !out)
        return false;
    QFile file(DeviceCacheFilePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // One block and nothing else: a torn, padded or foreign file is not an image.
    if (file.size() != kFileSize)
        return false;
    QDataStream in(&file);
    in.setVersion(kStreamVersion);
    quint32 length = 0;
    in >> length;
    if (in.status() != QDataStream::Ok || length != quint32(FlashDataMap::kSize))
        return false;
    FlashDataMap image;
    if (in.readRawData(reinterpret_cast<char*>(&image), FlashDataMap::kSize) != FlashDataMap::kSize)
        return false;
    std::memcpy(out, &image, sizeof image);
    return true;
}
