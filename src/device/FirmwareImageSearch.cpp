#include "device/FirmwareImageSearch.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstring>

QList<QByteArray> g_UpdateImageList;

namespace {
constexpr int kVersionOffset = 0x10;
constexpr int kTypeOffset = 0x14;
constexpr int kCustomerIdOffset = 0x15;
constexpr int kModelIdOffset = 0x16;
constexpr int kModelNameOffset = 0x57;
constexpr int kModelNameLength = 64;
constexpr int kPayloadLengthOffset = 0x08;
constexpr int kCrcOffset = 0x0C;
const char kMark[] = "ORVXFW01";

quint32 crc32(const uchar* data, qsizetype length)
{
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
}

bool FirmwareImageHeader::checkImage(const QByteArray& file, QString* reason)
{
    auto refuse = [reason](const char* why) {
        if (reason)
            *reason = QLatin1String(why);
        return false;
    };
    if (file.size() < kSize)
        return refuse("shorter than the image header");
    const auto* bytes = reinterpret_cast<const uchar*>(file.constData());
    if (std::memcmp(bytes, kMark, sizeof kMark - 1) != 0)
        return refuse("not a firmware image");
    const quint32 length = qFromLittleEndian<quint32>(bytes + kPayloadLengthOffset);
    if (length == 0 || quint64(length) != quint64(file.size() - kSize))
        return refuse("the payload length does not match the file");
    if (crc32(bytes + kSize, length) != qFromLittleEndian<quint32>(bytes + kCrcOffset))
        return refuse("the payload is damaged");
    const FirmwareImageHeader h = parse(file);
    if (h.type != kMouseType && h.type != kReceiverType)
        return refuse("unknown image type");
    return true;
}

FirmwareImageHeader FirmwareImageHeader::parse(const QByteArray& file)
{
    FirmwareImageHeader h;
    // A file shorter than the header is not an image; never read past its end.
    if (file.size() < kSize)
        return h;
    const auto* bytes = reinterpret_cast<const uchar*>(file.constData());
    h.valid = true;
    h.version = qFromLittleEndian<quint32>(bytes + kVersionOffset);
    h.type = bytes[kTypeOffset];
    h.customerId = bytes[kCustomerIdOffset];
    h.modelId = bytes[kModelIdOffset];
    const QByteArray name = file.mid(kModelNameOffset, kModelNameLength);
    const int nul = name.indexOf('\0');
    h.modelName = QString::fromLocal8Bit(nul < 0 ? name : name.left(nul));
    return h;
}

QString FirmwareImageSearch::versionText(quint32 version)
{
    return QStringLiteral("v%1.%2").arg(version >> 8).arg(version & 0xFF, 0, 16);
}

QString FirmwareImageSearch::comparisonText(const QString& versionText)
{
    if (versionText.isEmpty())
        return QStringLiteral("0.0");
    QString text = versionText;
    text.remove(QLatin1Char('v'), Qt::CaseSensitive);
    return text;
}

QString FirmwareImageSearch::receiverModelKey(int receiverKind)
{
    switch (receiverKind) {
    case 1: return QStringLiteral("DM");
    case 2: return QStringLiteral("D2M");
    case 4: return QStringLiteral("D4M");
    case 8: return QStringLiteral("D8M");
    default: return QString();
    }
}

bool FirmwareImageSearch::versionNumbers(const QString& versionText, quint32* major, quint32* minor)
{
    if (!versionText.startsWith(QLatin1Char('v')))
        return false;
    const QStringList parts = versionText.mid(1).split(QLatin1Char('.'));
    if (parts.size() != 2 || parts.at(0).isEmpty() || parts.at(1).isEmpty())
        return false;
    bool okMajor = false;
    bool okMinor = false;
    const quint32 a = parts.at(0).toUInt(&okMajor, 10);
    const quint32 b = parts.at(1).toUInt(&okMinor, 16);
    if (!okMajor || !okMinor || b > 0xFF)
        return false;
    *major = a;
    *minor = b;
    return true;
}

int FirmwareImageSearch::receiverKindOf(int connectionType)
{
    switch (connectionType) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 4;
    case 5: return 8;
    default: return 0;
    }
}

bool FirmwareImageSearch::run(Variant variant, quint8 type, const QString& deviceVersion,
                              const QString& modelName, quint8 customerId, quint8 modelId,
                              QList<QByteArray>* list)
{
    const QString deviceText = comparisonText(deviceVersion);
    if (variant == Variant::Check) {
        if (deviceVersion.isEmpty())
            return false;
        list = nullptr;
    }
    if (list)
        list->clear();

    const QDir dir(AppPaths::appSubdir(QStringLiteral("bin")));
    if (!dir.exists())
        return false;
    const QStringList files = dir.entryList({QStringLiteral("*.bin")}, QDir::Files,
                                            QDir::Name | QDir::IgnoreCase);
    bool taken = false;
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray data = file.readAll();
        const FirmwareImageHeader header = FirmwareImageHeader::parse(data);
        if (!header.valid || header.type != type || header.customerId != customerId
            || header.modelId != modelId || header.modelName != modelName)
            continue;

        // Versions are (major, minor) numbers: v1.5 and v1.50 are different
        // releases, v1.a and v1.b too. A device version that is no such text is
        // compared as text.
        if (!deviceVersion.isEmpty()) {
            quint32 major = 0;
            quint32 minor = 0;
            const bool same = versionNumbers(deviceVersion, &major, &minor)
                                  ? (header.version >> 8) == major && (header.version & 0xFF) == minor
                                  : comparisonText(versionText(header.version)) == deviceText;
            if (same)
                continue;
        }
        taken = true;
        if (list) {
            list->clear();
            list->append(data);
        }
    }
    return taken;
}

bool FindFirmwareImage(uchar type, QString version, QString modelName, uchar customerId, uchar modelId)
{
    return FirmwareImageSearch::run(FirmwareImageSearch::Variant::Find, type, version, modelName,
                                    customerId, modelId, &g_UpdateImageList);
}

bool CheckFirmwareImage(uchar type, QString version, QString modelName, uchar customerId, uchar modelId)
{
    return FirmwareImageSearch::run(FirmwareImageSearch::Variant::Check, type, version, modelName,
                                    customerId, modelId, nullptr);
}

bool HasNewerFirmware(int type, QString version, int receiverKind)
{
    const DeviceAllInfo current = currentDeviceCopy();
    const QString group = QStringLiteral("Drive%1").arg(current.modelIndex + 1);
    ConfigSettings* config = ConfigSettings::instance();
    const int customerId = config->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
    const int modelId = config->value(group, QStringLiteral("MID")).toInt();
    QString modelName;
    if (type == FirmwareImageHeader::kMouseType) {
        modelName = config->value(group, QStringLiteral("MM"));
    } else {
        const QString key = FirmwareImageSearch::receiverModelKey(receiverKind);
        if (key.isEmpty())
            return false;
        modelName = config->value(group, key);
    }
    return CheckFirmwareImage(uchar(type), version, modelName, uchar(customerId), uchar(modelId));
}
