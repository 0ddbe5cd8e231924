#include "ui/settings/FirmwareImageSearch.h"

#include "core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

QList<QByteArray> g_UpdateImageList;

namespace {
constexpr int kVersionOffset = 0x10;
constexpr int kTypeOffset = 0x14;
constexpr int kCustomerIdOffset = 0x15;
constexpr int kModelIdOffset = 0x16;
constexpr int kModelNameOffset = 0x57;
constexpr int kModelNameLength = 64;
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

        const QString imageText = comparisonText(versionText(header.version));
        if (!deviceVersion.isEmpty()) {
            if (imageText == deviceText)
                continue;
            // "1.5" and "1.50" differ as texts but are the same release.
            if (variant != Variant::Repair && imageText.toDouble() == deviceText.toDouble())
                return taken;
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
