#include "ui/buttons/ConfigurationFile.h"

#include "app/Globals.h"
#include "core/AtomicFile.h"
#include "core/ConfigSettings.h"
#include "device/CachedImage.h"
#include "device/ImageFieldCodes.h"
#include "device/SensorDpiTables.h"
#include "ui/buttons/ButtonFunctionTable.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {
const char kMagic[] = "Vemlo";
constexpr int kIdMarkAt = 6;
constexpr char kIdMark = 1;
constexpr quint32 kNoBlock = 0xFFFFFFFFu;
// Far more than a configuration file holds; the rest of a larger file is not read.
constexpr qint64 kReadLimit = 1 << 20;

// The sensor name as the file holds it: 8-bit text cut to the block.
QByteArray sensorBytes(const QString& sensor)
{
    return sensor.toLocal8Bit().left(ConfigurationFile::kTextBlockSize);
}

void appendBlock(QByteArray* out, const QByteArray& block)
{
    const quint32 n = quint32(block.size());
    const char length[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    out->append(length, 4);
    out->append(block);
}

// One length-prefixed block; false when the length runs past the end.
bool takeBlock(const QByteArray& bytes, int* at, QByteArray* block)
{
    if (bytes.size() - *at < 4)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + *at);
    const quint32 n = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
    *at += 4;
    if (n == kNoBlock) {
        block->clear();
        return true;
    }
    if (n > quint32(bytes.size() - *at))
        return false;
    *block = bytes.mid(*at, int(n));
    *at += int(n);
    return true;
}

QByteArray upToZero(const QByteArray& block)
{
    const int nul = block.indexOf('\0');
    return nul < 0 ? block : block.left(nul);
}
}  // namespace

ConfigurationFile::Model ConfigurationFile::currentModel()
{
    const DeviceAllInfo device = currentDeviceCopy();
    const QString group = QStringLiteral("Drive") + QString::number(device.modelIndex + 1);
    ConfigSettings* config = ConfigSettings::instance();
    Model model;
    model.sensor = config->value(group, QStringLiteral("Sensor"));
    model.maxStages = SensorDpiTables::usableStageCount(config->value(group, QStringLiteral("DPIMaxGrade")));
    model.cid = device.cid;
    model.mid = device.mid;
    return model;
}

QByteArray ConfigurationFile::encode(const FlashDataMap& image, const Model& model)
{
    QByteArray magic(kTextBlockSize, '\0');
    std::memcpy(magic.data(), kMagic, sizeof kMagic - 1);
    magic[kIdMarkAt] = kIdMark;
    magic[kIdMarkAt + 1] = char(model.cid);
    magic[kIdMarkAt + 2] = char(model.mid);
    QByteArray sensor = sensorBytes(model.sensor);
    sensor.append(QByteArray(kTextBlockSize - sensor.size(), '\0'));

    QByteArray out;
    out.reserve(kFileSize);
    appendBlock(&out, magic);
    appendBlock(&out, sensor);
    appendBlock(&out, QByteArray(reinterpret_cast<const char*>(&image), sizeof image));
    return out;
}

bool ConfigurationFile::write(const QString& path, const FlashDataMap& image, const Model& model,
                              QString* error)
{
    return AtomicFile::write(path, encode(image, model), error);
}

ConfigurationFile::Result ConfigurationFile::decode(const QByteArray& bytes, const Model& model,
                                                    FlashDataMap* out)
{
    QByteArray magic;
    QByteArray sensor;
    QByteArray image;
    int at = 0;
    if (!takeBlock(bytes, &at, &magic) || !takeBlock(bytes, &at, &sensor) || !takeBlock(bytes, &at, &image))
        return NotAConfiguration;
    if (upToZero(magic) != QByteArray(kMagic) || image.size() != FlashDataMap::kSize)
        return NotAConfiguration;

    if (upToZero(sensor) != sensorBytes(model.sensor))
        return DoesNotFit;
    // Ids travel after the magic's zero byte; files without the mark predate them.
    if (magic.size() > kIdMarkAt + 2 && magic.at(kIdMarkAt) == kIdMark
        && (quint8(magic.at(kIdMarkAt + 1)) != model.cid || quint8(magic.at(kIdMarkAt + 2)) != model.mid))
        return DoesNotFit;

    FlashDataMap candidate;
    std::memcpy(&candidate, image.constData(), sizeof candidate);
    if (candidate.dpiStageCount < 1 || candidate.dpiStageCount > model.maxStages
        || candidate.activeDpiStage >= candidate.dpiStageCount)
        return DoesNotFit;
    *out = candidate;
    return Accepted;
}

ConfigurationFile::Result ConfigurationFile::read(const QString& path, const Model& model, FlashDataMap* out)
{
    QFile file(path);
    // A configuration file is small: anything larger (or not a plain file) is
    // refused before it is read.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        qDebug("failed");
        return NotAConfiguration;
    }
    return decode(file.read(kReadLimit), model, out);
}

bool ConfigurationFile::fieldsOffered(const FlashDataMap& image, const DeviceAllInfo& device)
{
    if (!CachedImage::fieldsInRange(image, device) || !ImageFieldCodes::lightsOffered(image))
        return false;
    // A file may come from the same model on another connection; the rate must
    // be one the sensor page offers on this one.
    if (!ImageFieldCodes::rateOffered(image.reportRate, device.connectionType))
        return false;
    // The buttons the button page shows for the model.
    const QString group = QStringLiteral("Drive") + QString::number(device.modelIndex + 1);
    const int buttons = qBound(0, ConfigSettings::instance()->value(group, QStringLiteral("KeyNumber")).toInt(),
                               int(FlashDataMap::kButtonCount));
    for (int i = 0; i < buttons; ++i) {
        if (!ButtonFunctionTable::offers(image.buttons[i]))
            return false;
    }
    return true;
}
