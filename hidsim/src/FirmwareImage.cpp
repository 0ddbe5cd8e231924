#include "FirmwareImage.h"

#include <cstring>

namespace {

uint32_t le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr uint32_t kMaxPayload = 16u * 1024u * 1024u;

}  // namespace

bool FirmwareImage::read(const unsigned char* data, bool withPayload)
{
    if (!data || std::memcmp(data, "ORVXFW01", 8) != 0)
        return false;
    payloadLength = le32(data + 0x08);
    payloadCrc = le32(data + 0x0C);
    version = le32(data + 0x10);
    type = data[0x14];
    cid = data[0x15];
    mid = data[0x16];
    const char* name = reinterpret_cast<const char*>(data + 0x57);
    modelName = QString::fromLatin1(name, int(strnlen(name, 64)));
    if ((type != kMouse && type != kReceiver) || payloadLength > kMaxPayload)
        return false;
    payload.clear();
    if (withPayload)
        payload = QByteArray(reinterpret_cast<const char*>(data + kHeaderSize), int(payloadLength));
    return true;
}

QString FirmwareImage::versionText() const
{
    return QString("v%1.%2").arg(version >> 8).arg(QString::number(version & 0xFF, 16));
}

int FirmwareImage::deviceVersionWord() const
{
    return int(((version >> 8) & 0xFF) << 8 | (version & 0xFF));
}

uint32_t FirmwareImage::crc32(const QByteArray& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
