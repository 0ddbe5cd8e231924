#pragma once

// Program-wide state shared by the pages, the device thread and the device
// library's callback threads. One instance of each, defined in Globals.cpp.
//
// Threading rules:
// - Flags are std::atomic: any thread may read or write them directly.
// - g_FlashData is patched and sent under g_FlashDataMutex. Take the lock with
//   QMutexLocker around "patch + ProtocolDataUpdate", release it before any bus
//   emission (a blocking emission waits for the GUI thread, which may want the
//   lock). Pages get copies: currentFlashData().
// - g_DevicePath is set only through setDevicePath() (or pointed at text of
//   static storage); every pointer it ever held stays valid until exit.
// - Records, lists and texts without a lock of their own are used on the GUI
//   thread, or handed over through blocking bus connections.

#include "device/DeviceAllInfo.h"
#include "device/DongleRGB.h"
#include "device/FlashDataMap.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <string>

class ConfigSettings;
class DialogChange;
class PostMsg;
class QTimer;
class SettingsStore;
class UpDateRepair;
class Worker;

// ---- Identity, language and singletons ----
extern const QString g_AppName;  // "Orvex DeskLink"
extern int g_LanguageIndex;      // 0..9, GUI thread

extern std::atomic<PostMsg*> g_PostMsg;  // use PostMsg::GetInstance()
extern ConfigSettings* g_ConfigSettings;  // use ConfigSettings::instance()
extern QMutex g_ConfigSettingsMutex;
extern SettingsStore* g_SettingsStore;  // use SettingsStore::instance()
extern QMutex g_SettingsStoreMutex;

// Set once while the windows are built, before other threads exist.
extern DialogChange* g_DialogChange;
extern Worker* g_Worker;
extern QTimer* g_WorkerPollTimer;
extern UpDateRepair* g_UpDateRepairDialog;

// ---- Device lists and the current device ----
extern QList<DeviceAllInfo> g_DeviceList;
extern QList<DeviceAllInfo> g_DeviceListB;
extern QList<DeviceAllInfo> g_WorkerDeviceList;
extern DeviceAllInfo g_SelectedDevice;
extern DeviceAllInfo g_CurrentDevice;
// Guards g_CurrentDevice where a thread other than the GUI thread reads or
// writes it (the report callback records the firmware version).
extern QMutex g_CurrentDeviceMutex;
DeviceAllInfo currentDeviceCopy();

// Path of the current device as the device library takes it (NUL-terminated,
// Latin-1). Starts as "". Read it directly: it converts to const char*.
extern std::atomic<const char*> g_DevicePath;
// Owns the text of the last setDevicePath() call; read it with devicePathString().
extern std::string g_DevicePathString;
// Makes `path` the current device path and returns the pointer now held by
// g_DevicePath. The text is kept until exit, so a pointer another thread
// loaded earlier never dangles. Safe from any thread.
const char* setDevicePath(const char* path);
const char* setDevicePath(const std::string& path);
const char* setDevicePath(const QString& path);  // converted to Latin-1
std::string devicePathString();

extern int g_DeviceModelId;

// The working configuration image and its lock (see the threading rules above).
extern FlashDataMap g_FlashData;
extern QMutex g_FlashDataMutex;
// A copy of g_FlashData taken under g_FlashDataMutex. Do not call while holding it.
FlashDataMap currentFlashData();
// Replaces g_FlashData as a whole under g_FlashDataMutex. Do not call while holding it.
void replaceFlashData(const FlashDataMap& image);

// Cache file names. g_FlashDataFile is set by the report callback: set and read
// it under g_FlashDataMutex when another thread may touch it.
extern QString g_FlashDataFile;
extern QString g_SelectedFlashDataFile;

extern QStringList g_UsbPidList;
extern QStringList g_WirelessPidList;
extern QStringList g_Wireless2PidList;
extern QStringList g_Wireless4PidList;
extern QStringList g_Wireless8PidList;
extern QString g_SearchVid;
extern QVector<QString> g_SearchPidList;

// ---- Flags ----
extern std::atomic<bool> g_UiReady;
extern std::atomic<int> g_LinkEnabled;
extern std::atomic<bool> g_DevicePollingEnabled;  // true at start
extern std::atomic<bool> g_DeviceOnline;
extern std::atomic<bool> g_FullReadDone;
extern std::atomic<bool> g_WorkerRunRequest;
extern std::atomic<bool> g_ApplyingSettings;
extern std::atomic<int> g_ImportMode;
// Result of the last configuration import (0 accepted, 1 not a configuration
// file, 2 does not fit the device); picks the import notice's text.
extern std::atomic<int> g_ImportResult;
extern std::atomic<bool> g_OfflineNoticeOpen;
extern std::atomic<bool> g_RefreshPending;
extern std::atomic<int> g_MouseOffLineKind;
extern std::atomic<quint8> g_MatchMode;
extern std::atomic<bool> g_MacroRecording;
extern std::atomic<bool> g_SensorPageFilling;
extern std::atomic<bool> g_ButtonPageFilling;
extern std::atomic<bool> g_LightPageFilling;
extern std::atomic<bool> g_SensorPageApplied;
extern std::atomic<bool> g_ButtonPageApplied;
extern std::atomic<bool> g_RepairRunning;
extern std::atomic<bool> g_UpdateRunning;
// Whether the update and repair dialog is on screen (kept by the dialog, so the
// device thread's poll need not look at the window).
extern std::atomic<bool> g_UpdateDialogShown;
extern std::atomic<bool> g_DongleUpdateRequested;
extern std::atomic<bool> g_MouseUpdateRequested;

// ---- Buffers the device library fills (zeroed at start, never freed) ----
extern quint8* const g_OnlineAddressBuffer;  // 10 bytes
extern quint8* const g_WorkerAddressBuffer;  // 10 bytes
extern DongleRGB* const g_DongleRGB;
extern quint8* const g_BatteryBuffer;        // 4 bytes
extern quint8* const g_StatusChangedFlags;   // 7 bytes

// ---- Texts shared between pages (GUI thread) ----
extern QString g_UpdateWarningText;
extern QString g_ReceiverUpdateText;
extern QString g_MouseButtonNames[5];
