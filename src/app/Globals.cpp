#include "app/Globals.h"

#include "device/AnnotatedMutexLocker.h"


#include <set>

const QString g_AppName = QStringLiteral("Orvex DeskLink");
int g_LanguageIndex = 0;

std::atomic<PostMsg*> g_PostMsg{nullptr};
ConfigSettings* g_ConfigSettings = nullptr;
QMutex g_ConfigSettingsMutex;
SettingsStore* g_SettingsStore = nullptr;
QMutex g_SettingsStoreMutex;

DialogChange* g_DialogChange = nullptr;
Worker* g_Worker = nullptr;
QTimer* g_WorkerPollTimer = nullptr;
UpDateRepair* g_UpDateRepairDialog = nullptr;

QList<DeviceAllInfo> g_DeviceList;
QList<DeviceAllInfo> g_DeviceListB;
QList<DeviceAllInfo> g_WorkerDeviceList;
DeviceAllInfo g_SelectedDevice;
DeviceAllInfo g_CurrentDevice;
QMutex g_CurrentDeviceMutex;

std::atomic<const char*> g_DevicePath{""};
std::string g_DevicePathString;

int g_DeviceModelId = 0;

FlashDataMap g_FlashData{};
QMutex g_FlashDataMutex;

QString g_FlashDataFile;
QString g_SelectedFlashDataFile;

QStringList g_UsbPidList;
QStringList g_WirelessPidList;
QStringList g_Wireless2PidList;
QStringList g_Wireless4PidList;
QStringList g_Wireless8PidList;
QString g_SearchVid;
QVector<QString> g_SearchPidList;

std::atomic<bool> g_UiReady{false};
std::atomic<int> g_LinkEnabled{0};
std::atomic<bool> g_DevicePollingEnabled{true};
std::atomic<bool> g_DeviceOnline{false};
std::atomic<bool> g_FullReadDone{false};
std::atomic<bool> g_WorkerRunRequest{false};
std::atomic<bool> g_ApplyingSettings{false};
std::atomic<int> g_ImportMode{0};
std::atomic<int> g_ImportResult{0};
std::atomic<bool> g_OfflineNoticeOpen{false};
std::atomic<bool> g_RefreshPending{false};
std::atomic<int> g_MouseOffLineKind{0};
std::atomic<quint8> g_MatchMode{0};
std::atomic<bool> g_MacroRecording{false};
std::atomic<bool> g_SensorPageFilling{false};
std::atomic<bool> g_ButtonPageFilling{false};
std::atomic<bool> g_LightPageFilling{false};
std::atomic<bool> g_SensorPageApplied{false};
std::atomic<bool> g_ButtonPageApplied{false};
std::atomic<bool> g_RepairRunning{false};
std::atomic<bool> g_UpdateRunning{false};
std::atomic<bool> g_UpdateDialogShown{false};
std::atomic<bool> g_DongleUpdateRequested{false};
std::atomic<bool> g_MouseUpdateRequested{false};

namespace {
// Static storage: zeroed and usable before any dynamic initialisation runs.
quint8 s_onlineAddressBuffer[10];
quint8 s_workerAddressBuffer[10];
DongleRGB s_dongleRGB;
quint8 s_batteryBuffer[4];
quint8 s_statusChangedFlags[7];

QMutex s_devicePathMutex;
// Every path ever set; nodes never move, so their c_str() stays valid.
std::set<std::string>& devicePaths()
{
    static std::set<std::string> paths;
    return paths;
}
}

quint8* const g_OnlineAddressBuffer = s_onlineAddressBuffer;
quint8* const g_WorkerAddressBuffer = s_workerAddressBuffer;
DongleRGB* const g_DongleRGB = &s_dongleRGB;
quint8* const g_BatteryBuffer = s_batteryBuffer;
quint8* const g_StatusChangedFlags = s_statusChangedFlags;

QString g_UpdateWarningText;
QString g_ReceiverUpdateText;
QString g_MouseButtonNames[5];

DeviceAllInfo currentDeviceCopy()
{
    AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
    return g_CurrentDevice;
}

const char* setDevicePath(const std::string& path)
{
    AnnotatedMutexLocker lock(s_devicePathMutex);
    const char* stable = devicePaths().insert(path).first->c_str();
    g_DevicePathString = path;
    g_DevicePath.store(stable);
    return stable;
}

const char* setDevicePath(const char* path)
{
    return setDevicePath(std::string(path ? path : ""));
}

const char* setDevicePath(const QString& path)
{
    return setDevicePath(path.toLatin1().toStdString());
}

std::string devicePathString()
{
    AnnotatedMutexLocker lock(s_devicePathMutex);
    return g_DevicePathString;
}

FlashDataMap currentFlashData()
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    return g_FlashData;
}

void replaceFlashData(const FlashDataMap& image)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    g_FlashData = image;
}
