#pragma once

#include "device/DeviceAllInfo.h"

#include <QByteArray>
#include <QString>
#include <QThread>
#include <QVector>

#include <atomic>

// The device thread. The object lives on the GUI thread: its slots and its
// 1300 ms online check run there; only run() uses the second thread, and each
// start performs one short pass that (re)opens the report link and asks for the
// whole configuration image (which arrives through OnHidReport).
//
// Starting: set g_WorkerRunRequest, then start(). A start requested while a pass
// still runs is kept and performed as soon as that pass has ended.
class Worker : public QThread
{
    Q_OBJECT

public:
    Worker();
    ~Worker() override;

    // Shadows QThread::start so that a restart requested while a pass runs is not
    // lost. Call it from the GUI thread (other threads are relayed there).
    void start(QThread::Priority priority = QThread::InheritPriority);
    // True from a start until the pass has ended (GUI thread).
    bool passActive() const { return m_passActive; }

    // Makes info the current device when it answers, then starts a pass.
    void StartDevice(DeviceAllInfo info);
    // No further pass: clears g_WorkerRunRequest and a pending start.
    static void StopRun();

    // The device-change callback to register with StartUsbChanged while a device
    // page is open. Called on a library thread; relays to HandleUsbDeviceChanged.
    static void OnUsbDeviceChanged();
    // The rescan itself (GUI thread): follows a receiver mouse onto its cable,
    // returns to the device list when the open device is gone, refreshes the
    // firmware-update hint.
    static void HandleUsbDeviceChanged();

    // The device thread's search: fills g_WorkerDeviceList.
    static void EnumerateHidDevices(QString vid, QVector<QString> pids, int interfaceId, int deviceId);
    // The device thread's identification; true = catalogue match.
    static bool IdentifyDevice(DeviceAllInfo& rec, const char* path);

public slots:
    void SlotCheckOnline();
    void SlotSelectMouseInfo(DeviceAllInfo info);
    void SlotMainPageChange();

protected:
    void run() override;

private:
    void launch();
    void onPassFinished();
    void emitCachedImageOrReset();

    // Written by run() only.
    QString m_lastPath;
    int m_lastConnectionType = 0;

    // GUI thread only.
    bool m_passActive = false;
    bool m_startPending = false;
    QThread::Priority m_priority = QThread::InheritPriority;
};

// The online state that the last pass saw when it connected; cleared so that
// the next pass reconnects.
extern std::atomic<bool> g_LastPassOnline;
// A status report asked for a full refresh: the next pass counts as changed and
// asks for the wait dialog with 1.
extern std::atomic<bool> g_StatusRefreshRequested;
// Config.ini "Option"/"ShowBatteryValue", read when the worker is created.
extern std::atomic<int> g_ShowBatteryValue;

// The full-refresh rule of status reports: true (and the clock restarted) when
// more than 3000 ms (through the timing seam) have passed since the last refresh
// it allowed or since the worker was created. Safe from any thread.
bool TakeStatusRefreshSlot();
// The next refresh request is taken however soon it comes: one the person asked for.
void ReleaseStatusRefreshSlot();
// Restarts that clock (the worker's constructor does).
void RestartStatusRefreshClock();
