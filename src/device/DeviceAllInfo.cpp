#include "device/DeviceAllInfo.h"

quint8 DeviceAllInfo::isDirectConnection(quint8 connectionType)
{
    return (connectionType & 0xFA) != 0 ? 1 : 0;
}

QString DeviceAllInfo::versionText(quint16 versionWord)
{
    return versionText(versionWord >> 8, versionWord & 0xFF);
}

QString DeviceAllInfo::versionText(int major, int minor)
{
    return QStringLiteral("v") + QString::number(major) + QLatin1Char('.')
        + QString::number(minor, 16);
}
