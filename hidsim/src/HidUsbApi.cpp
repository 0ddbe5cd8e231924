// Entry points of the device library: each records its call and hands it to the
// simulated devices.
#include "HIDUsb.h"

#include "FlashLayout.h"
#include "Simulator.h"

namespace {

Simulator& sim(const char* function, const QString& arguments = QString())
{
    Simulator& s = Simulator::instance();
    s.log().record(function, arguments);
    return s;
}

QString text(const char* p)
{
    return p ? QString::fromLatin1(p) : QStringLiteral("(null)");
}

QString args(std::initializer_list<QString> parts)
{
    QStringList list;
    for (const QString& p : parts)
        list << p;
    return list.join(", ");
}

QString num(long long v)
{
    return QString::number(v);
}

}  // namespace

extern "C" {

char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count)
{
    return sim("UsbFinderC_FindHidDevicesByDefaultDeviceId",
               args({text(vid), text(pid), count ? num(*count) : "(null)"}))
        .findDevices(vid, pid, count);
}

char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int interfaceId,
                                           int collectionId, int* count)
{
    return sim("UsbFinderC_FindHidDevicesByDeviceId",
               args({text(vid), text(pid), num(interfaceId), num(collectionId), count ? num(*count) : "(null)"}))
        .findDevices(vid, pid, count);
}

bool UsbFinderC_GetUsbDeviceAttribute(const char* path, unsigned char* attribute)
{
    return sim("UsbFinderC_GetUsbDeviceAttribute", text(path)).attribute(path, attribute);
}

UsbDeviceInfo UsbFinderC_GetDeviceInfo(const char* path)
{
    return sim("UsbFinderC_GetDeviceInfo", text(path)).deviceInfo(path);
}

bool UsbFinderC_GetDeviceOnLine(const char* path)
{
    return sim("UsbFinderC_GetDeviceOnLine", text(path)).online(path);
}

bool UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* buffer)
{
    return sim("UsbFinderC_GetDeviceOnLineWithUsbAddress", text(path)).onlineWithAddress(path, buffer);
}

int UsbFinderC_GetVersion(const char* path)
{
    return sim("UsbFinderC_GetVersion", text(path)).mouseVersion(path);
}

bool UsbFinderC_GetSlaveVersion(const char* path, int* version)
{
    return sim("UsbFinderC_GetSlaveVersion", text(path)).receiverVersion(path, version);
}

bool UsbFinderC_Set4KDongleRGB(const char* path, DongleRGB* rgb)
{
    return sim("UsbFinderC_Set4KDongleRGB", args({text(path), rgb ? num(rgb->mode) : "(null)"}))
        .setReceiverLight(path, rgb);
}

bool UsbFinderC_Get4KDongleRGBValue(const char* path, DongleRGB* rgb)
{
    return sim("UsbFinderC_Get4KDongleRGBValue", text(path)).receiverLight(path, rgb);
}

bool UsbFinderC_SetLongRangeMode(const char* path, bool on)
{
    return sim("UsbFinderC_SetLongRangeMode", args({text(path), num(on)})).setLongRange(path, on);
}

bool UsbFinderC_GetLongRangeMode(const char* path, unsigned char* mode)
{
    return sim("UsbFinderC_GetLongRangeMode", text(path)).longRange(path, mode);
}

bool UsbFinderC_SetDongleIDToMouse(const char* mousePath, const unsigned char* address)
{
    const QString a = address ? QString::asprintf("%02X%02X%02X", address[0], address[1], address[2])
                              : QStringLiteral("(null)");
    return sim("UsbFinderC_SetDongleIDToMouse", args({text(mousePath), a})).pairByCable(mousePath, address);
}

bool UsbFinderC_OpenDevice(const char* path)
{
    return sim("UsbFinderC_OpenDevice", text(path)).openDevice(path);
}

int UsbFinderC_ReadWriteDeviceData(const char* path, const unsigned char* request, int requestLength,
                                   unsigned char* reply, int replyCapacity)
{
    const QString r = request && requestLength > 0
        ? QString(QByteArray(reinterpret_cast<const char*>(request), requestLength).toHex(' '))
        : QStringLiteral("(none)");
    return sim("UsbFinderC_ReadWriteDeviceData", args({text(path), r, num(replyCapacity)}))
        .rawRequest(path, request, requestLength, reply, replyCapacity);
}

bool UsbServerC_Start(const char* path, const char* path2, UsbDataCallback onData)
{
    return sim("UsbServerC_Start", args({text(path), text(path2)})).startLink(path, onData);
}

void UsbServer_Exit()
{
    sim("UsbServer_Exit").exitLink();
}

void UsbServer_SetPCDriverStatus(bool on)
{
    sim("UsbServer_SetPCDriverStatus", num(on)).setDriverStatus(on);
}

void UsbServer_SetBatteryOptimizeEnable(bool on)
{
    sim("UsbServer_SetBatteryOptimizeEnable", num(on)).setBatteryOptimize(on);
}

void UsbServer_SetClearSetting()
{
    sim("UsbServer_SetClearSetting").clearSettings();
}

void UsbServer_ReadAllFlashData()
{
    sim("UsbServer_ReadAllFlashData").read(Simulator::Read::AllFlash);
}

void UsbServer_ReadConfig()
{
    sim("UsbServer_ReadConfig").read(Simulator::Read::Config);
}

void UsbServer_ReadVersion()
{
    sim("UsbServer_ReadVersion").read(Simulator::Read::Version);
}

void UsbServer_ReadBatteryLevel()
{
    sim("UsbServer_ReadBatteryLevel").read(Simulator::Read::Battery);
}

void UsbServer_ReadDPILed()
{
    sim("UsbServer_ReadDPILed").read(Simulator::Read::DpiLed);
}

void UsbServer_ReadLedBar()
{
    sim("UsbServer_ReadLedBar").read(Simulator::Read::LedBar);
}

void UsbServer_ReadCurrentDPI()
{
    sim("UsbServer_ReadCurrentDPI").read(Simulator::Read::CurrentDpi);
}

void UsbServer_ReadReportRate()
{
    sim("UsbServer_ReadReportRate").read(Simulator::Read::ReportRate);
}

void UsbServer_SetCurrentConfig(unsigned char profile)
{
    sim("UsbServer_SetCurrentConfig", num(profile)).setProfile(profile);
}

void UsbServer_EnterDonglePairOnlyCid(unsigned char cid)
{
    sim("UsbServer_EnterDonglePairOnlyCid", num(cid)).enterPairing(cid);
}

void UsbServer_ReadDonglePairStatus()
{
    sim("UsbServer_ReadDonglePairStatus").read(Simulator::Read::PairStatus);
}

bool ProtocolDataParser(const unsigned char* data, FlashDataMap* image)
{
    sim("ProtocolDataParser");
    if (!data || !image)
        return false;
    return FlashLayout::unpack(data, image);
}

bool ProtocolDataUpdate(const FlashDataMap* image)
{
    return sim("ProtocolDataUpdate").writeImage(image);
}

void BufferToDPILed(const unsigned char* data, unsigned char* out)
{
    sim("BufferToDPILed");
    if (data && out)
        FlashLayout::dpiLedToImage(data, out);
}

void BufferToLedBar(const unsigned char* data, unsigned char* out)
{
    sim("BufferToLedBar");
    if (data && out)
        FlashLayout::ledBarToImage(data, out);
}

void GetDeviceBatteryStatus(const unsigned char* data, unsigned char* out)
{
    sim("GetDeviceBatteryStatus");
    if (!data || !out)
        return;
    out[0] = data[1];
    out[1] = (data[0] & 1) ? 1 : 0;
    out[2] = data[2];
    out[3] = data[3];
}

void GetDeviceStatusChanged(const unsigned char* data, unsigned char* out)
{
    sim("GetDeviceStatusChanged");
    if (!data || !out)
        return;
    for (int i = 0; i < 7; ++i)
        out[i] = (data[0] >> i) & 1;
}

void StartUsbChanged(UsbChangedCallback callback, int intervalMs)
{
    sim("StartUsbChanged", num(intervalMs)).startChanged(callback, intervalMs);
}

void StopUsbChanged()
{
    sim("StopUsbChanged").stopChanged();
}

int UsbUpgradeC_FindBootDevices(const unsigned char* image, int* count)
{
    return sim("UsbUpgradeC_FindBootDevices").findBootDevices(image, count);
}

bool UsbUpgrade_Start(const unsigned char* image, UsbUpgradeCallback progress, int timeoutMs)
{
    return sim("UsbUpgrade_Start", num(timeoutMs)).startUpgrade(image, progress, timeoutMs);
}

char** UsbUpgradeC_GetLogs()
{
    return sim("UsbUpgradeC_GetLogs").upgradeLogs();
}

}  // extern "C"
