// Entry points of the device library. Filled in step by step; until then every
// device is unknown and every request goes unanswered.
#include "HIDUsb.h"

namespace {
char* g_noPaths[1] = {nullptr};
}

extern "C" {

char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char*, const char*, int* count)
{
    if (count)
        *count = 0;
    return g_noPaths;
}
char** UsbFinderC_FindHidDevicesByDeviceId(const char*, const char*, int, int, int* count)
{
    if (count)
        *count = 0;
    return g_noPaths;
}
bool UsbFinderC_GetUsbDeviceAttribute(const char*, unsigned char*) { return false; }
UsbDeviceInfo UsbFinderC_GetDeviceInfo(const char*) { return UsbDeviceInfo{0, 0, 0}; }
bool UsbFinderC_GetDeviceOnLine(const char*) { return false; }
bool UsbFinderC_GetDeviceOnLineWithUsbAddress(const char*, unsigned char*) { return false; }
int UsbFinderC_GetVersion(const char*) { return 0; }
bool UsbFinderC_GetSlaveVersion(const char*, int*) { return false; }
bool UsbFinderC_Set4KDongleRGB(const char*, DongleRGB*) { return false; }
bool UsbFinderC_Get4KDongleRGBValue(const char*, DongleRGB*) { return false; }
bool UsbFinderC_SetLongRangeMode(const char*, bool) { return false; }
bool UsbFinderC_GetLongRangeMode(const char*, unsigned char*) { return false; }
bool UsbFinderC_SetDongleIDToMouse(const char*, const unsigned char*) { return false; }
bool UsbFinderC_OpenDevice(const char*) { return false; }
int UsbFinderC_ReadWriteDeviceData(const char*, const unsigned char*, int, unsigned char*, int) { return -1; }
bool UsbServerC_Start(const char*, const char*, UsbDataCallback) { return false; }
void UsbServer_Exit() {}
void UsbServer_SetPCDriverStatus(bool) {}
void UsbServer_SetBatteryOptimizeEnable(bool) {}
void UsbServer_SetClearSetting() {}
void UsbServer_ReadAllFlashData() {}
void UsbServer_ReadConfig() {}
void UsbServer_ReadVersion() {}
void UsbServer_ReadBatteryLevel() {}
void UsbServer_ReadDPILed() {}
void UsbServer_ReadLedBar() {}
void UsbServer_ReadCurrentDPI() {}
void UsbServer_ReadReportRate() {}
void UsbServer_SetCurrentConfig(unsigned char) {}
void UsbServer_EnterDonglePairOnlyCid(unsigned char) {}
void UsbServer_ReadDonglePairStatus() {}
bool ProtocolDataParser(const unsigned char*, FlashDataMap*) { return false; }
bool ProtocolDataUpdate(const FlashDataMap*) { return false; }
void BufferToDPILed(const unsigned char*, unsigned char*) {}
void BufferToLedBar(const unsigned char*, unsigned char*) {}
void GetDeviceBatteryStatus(const unsigned char*, unsigned char*) {}
void GetDeviceStatusChanged(const unsigned char*, unsigned char*) {}
void StartUsbChanged(UsbChangedCallback, int) {}
void StopUsbChanged() {}
int UsbUpgradeC_FindBootDevices(const unsigned char*, int* count)
{
    if (count)
        *count = 0;
    return 0;
}
bool UsbUpgrade_Start(const unsigned char*, UsbUpgradeCallback, int) { return false; }
char** UsbUpgradeC_GetLogs() { return g_noPaths; }

}
