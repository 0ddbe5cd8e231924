#include "device/DeviceDiscovery.h"

#include "app/Globals.h"
#include "core/ConfigSettings.h"

#include <HIDUsb.h>

#include <atomic>
#include <cstring>

namespace {
constexpr int kMaxPathsPerSearch = 5;
constexpr int kMaxIdentifyCalls = 10;
// Model ids are one byte, so no catalogue tells more models apart; a larger
// (garbage) count would only make every catalogue lookup loop over it.
constexpr int kMaxCatalogueModels = 256;

std::atomic<DeviceDiscovery::DeviceInfoQuery> s_deviceInfoQuery{nullptr};

QString option(const char* key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Option"), QLatin1String(key));
}

QStringList optionList(const char* key)
{
    return ConfigSettings::instance()->valueList(QStringLiteral("Option"), QLatin1String(key));
}
}

QVector<QString> DeviceDiscovery::SearchConfig::searchPids() const
{
    QVector<QString> pids;
    for (const QStringList* list :
         {&usbPids, &wirelessPids, &wireless2Pids, &wireless4Pids, &wireless8Pids}) {
        for (const QString& pid : *list)
            pids.append(pid);
    }
    return pids;
}

DeviceDiscovery::SearchConfig DeviceDiscovery::ReadSearchConfig()
{
    SearchConfig c;
    c.vid = option("VID");
    c.interfaceId = option("InterfaceId").toInt();
    c.deviceId = option("DeviceId").toInt();
    c.usbPids = optionList("USB_PID");
    c.wirelessPids = optionList("Wireless_PID");
    c.wireless2Pids = optionList("Wireless2_PID");
    c.wireless4Pids = optionList("Wireless4_PID");
    c.wireless8Pids = optionList("Wireless8_PID");
    return c;
}

void DeviceDiscovery::ScanDeviceList()
{
    const SearchConfig c = ReadSearchConfig();
    g_DeviceList.clear();
    g_DeviceListB.clear();
    g_UsbPidList = c.usbPids;
    g_WirelessPidList = c.wirelessPids;
    g_Wireless2PidList = c.wireless2Pids;
    g_Wireless4PidList = c.wireless4Pids;
    g_Wireless8PidList = c.wireless8Pids;
    g_SearchVid = c.vid;
    g_SearchPidList = c.searchPids();
    FindDevices(c.vid, g_SearchPidList, c.interfaceId, c.deviceId);
}

void DeviceDiscovery::FindDevices(QString vid, QVector<QString> pids, int /*interfaceId*/,
                                  int /*deviceId*/)
{
    const QByteArray vidText = vid.toLatin1();
    for (const QString& pid : pids) {
        if (pid.isEmpty())
            continue;
        int count = kMaxPathsPerSearch;
        char** paths =
            UsbFinderC_FindHidDevicesByDefaultDeviceId(vidText.constData(), pid.toLatin1().constData(), &count);
        if (!paths)
            continue;
        count = qBound(0, count, kMaxPathsPerSearch);
        for (int i = 0; i < count; ++i) {
            if (!paths[i])
                continue;
            DeviceAllInfo rec;
            rec.path = QString::fromLatin1(paths[i]);
            rec.vid = vid;
            rec.pid = pid;
            rec.receiverVersion = UsbVersionText(QByteArray(paths[i]));
            if (IdentifyDevice(rec)) {
                g_DeviceList.append(rec);
                g_DeviceListB.append(rec);
            }
        }
    }
}

bool DeviceDiscovery::IdentifyDevice(DeviceAllInfo& rec)
{
    const QByteArray path = rec.path.toLatin1();
    UsbDeviceInfo last{};
    const bool identified = QueryIdentifiers(path, &last);
    const int total = DeviceTotal();
    if (!identified) {
        rec.direct = DeviceAllInfo::isDirectConnection(last.connectionType);
        rec.modelIndex = total;
        return true;
    }
    const int index = CatalogueIndex(last.cid, last.mid);
    if (index >= 0) {
        rec.cid = last.cid;
        rec.mid = last.mid;
        rec.connectionType = last.connectionType;
        rec.direct = DeviceAllInfo::isDirectConnection(last.connectionType);
        rec.modelIndex = index;
        if (UsbFinderC_GetDeviceOnLine(path.constData()))
            rec.online = 1;
        return true;
    }
    if (total >= 1) {
        rec.direct = DeviceAllInfo::isDirectConnection(last.connectionType);
        rec.modelIndex = total;
        return true;
    }
    return false;
}

bool DeviceDiscovery::RefreshDevice(int i)
{
    return RefreshEntry(i, false);
}

bool DeviceDiscovery::RequeryDevice(int i)
{
    return RefreshEntry(i, true);
}

bool DeviceDiscovery::RefreshEntry(int i, bool identify)
{
    if (i < 0 || i >= g_DeviceList.size())
        return false;
    DeviceAllInfo rec = g_DeviceList.at(i);
    rec.online = 0;
    const QByteArray path = rec.path.toLatin1();
    std::memset(g_OnlineAddressBuffer, 0, 10);
    UsbFinderC_GetDeviceOnLineWithUsbAddress(path.constData(), g_OnlineAddressBuffer);
    if (identify)
        IdentifyDevice(rec);
    rec.online = g_OnlineAddressBuffer[6] == 1 ? 1 : 0;
    rec.address = {g_OnlineAddressBuffer[7], g_OnlineAddressBuffer[8], g_OnlineAddressBuffer[9]};
    g_DeviceList[i] = rec;
    if (i < g_DeviceListB.size())
        g_DeviceListB[i] = rec;
    return rec.address.at(0) != 0 || rec.address.at(1) != 0 || rec.address.at(2) != 0;
}

bool DeviceDiscovery::QueryIdentifiers(const QByteArray& path, UsbDeviceInfo* last)
{
    DeviceInfoQuery query = s_deviceInfoQuery.load();
    for (int calls = 1;; ++calls) {
        *last = query ? query(path.constData()) : UsbFinderC_GetDeviceInfo(path.constData());
        if (calls >= kMaxIdentifyCalls)
            return false;
        if (last->cid != 0 || last->mid != 0)
            return true;
    }
}

int DeviceDiscovery::CatalogueIndex(quint8 cid, quint8 mid)
{
    ConfigSettings* config = ConfigSettings::instance();
    bool ok = false;
    const int lineCid = config->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt(&ok);
    if (!ok || lineCid != cid)
        return -1;
    const int total = DeviceTotal();
    for (int n = 1; n <= total; ++n) {
        // A group without a readable "MID" matches nothing (not model id 0).
        const int groupMid =
            config->value(QStringLiteral("Drive%1").arg(n), QStringLiteral("MID")).toInt(&ok);
        if (ok && groupMid == mid)
            return n - 1;
    }
    return -1;
}

int DeviceDiscovery::DeviceTotal()
{
    return qBound(0, option("DeviceTotal").toInt(), kMaxCatalogueModels);
}

bool DeviceDiscovery::CatalogueUsable()
{
    bool ok = false;
    const int total = option("DeviceTotal").trimmed().toInt(&ok);
    if (!ok || total < 1 || total > kMaxCatalogueModels)
        return false;
    ConfigSettings* config = ConfigSettings::instance();
    for (int n = 1; n <= total; ++n) {
        if (config->value(QStringLiteral("Drive") + QString::number(n), QStringLiteral("MID")).trimmed().isEmpty())
            return false;
    }
    return true;
}

QString DeviceDiscovery::UsbVersionText(const QByteArray& path)
{
    unsigned char attribute[12] = {};
    UsbFinderC_GetUsbDeviceAttribute(path.constData(), attribute);
    return DeviceAllInfo::versionText(quint16(attribute[8] | (attribute[9] << 8)));
}

void DeviceDiscovery::ReadOnlineAndAddress(const QByteArray& path, quint8* buffer, DeviceAllInfo& rec)
{
    std::memset(buffer, 0, 10);
    UsbFinderC_GetDeviceOnLineWithUsbAddress(path.constData(), buffer);
    rec.online = buffer[6] == 1 ? 1 : 0;
    rec.address = {buffer[7], buffer[8], buffer[9]};
}

void DeviceDiscovery::SetDeviceInfoQueryForTests(DeviceInfoQuery query)
{
    s_deviceInfoQuery.store(query);
}
