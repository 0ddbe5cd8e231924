#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One discovered device with its identifiers and connection state.
// Two records name the same device when their paths are equal.
struct DeviceAllInfo
{
    QString path;         // HID path; Latin-1 at the device library boundary
    QString vid = QStringLiteral("0");
    QString pid = QStringLiteral("0");
    quint8 cid = 0;       // set by discovery before anything reads it
    quint8 mid = 0;
    quint8 connectionType = 0;  // 0 1K, 4 2K, 1 4K, 5 8K receiver; other = direct
    qint32 modelIndex = 0;      // "Drive" + (modelIndex + 1); DeviceTotal = unknown model
    quint8 online = 0;
    quint8 direct = 0;          // see isDirectConnection()
    QString receiverVersion;
    QString firmwareVersion;
    QList<quint8> address;      // three receiver-address bytes

    bool operator==(const DeviceAllInfo& other) const { return path == other.path; }
    bool operator!=(const DeviceAllInfo& other) const { return path != other.path; }

    // 1 when the connection type is none of the receiver kinds 0, 1, 4 and 5.
    static quint8 isDirectConnection(quint8 connectionType);
    // "v" + high byte in decimal + "." + low byte in lower-case hex, e.g. 0x0A1F -> "v10.1f".
    static QString versionText(quint16 versionWord);
    // The same from separate major and minor parts (major x 256 + minor).
    static QString versionText(int major, int minor);
};
