#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// A firmware image as the update passes it: a 728-byte header and the payload.
class FirmwareImage
{
public:
    static constexpr int kHeaderSize = 728;
    static constexpr int kMouse = 210;
    static constexpr int kReceiver = 211;

    // Reads the header; the payload is copied when withPayload is set. False for
    // anything that is not one of our images.
    bool read(const unsigned char* data, bool withPayload);

    int type = 0;
    int cid = 0;
    int mid = 0;
    QString modelName;
    uint32_t version = 0;
    uint32_t payloadLength = 0;
    uint32_t payloadCrc = 0;
    QByteArray payload;

    QString versionText() const;
    // Device version word (major byte, minor byte) after this image is installed.
    int deviceVersionWord() const;
    static uint32_t crc32(const QByteArray& data);
};
