#pragma once

#include "CallLog.h"
#include "CallbackQueue.h"
#include "FirmwareImage.h"
#include "HIDUsb.h"
#include "SimStore.h"
#include "StringPool.h"
#include "World.h"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The virtual devices behind the device library's entry points. One instance
// lives for the whole process. All state is guarded by one mutex; time-driven
// work (transfers, restarts, pairing, firmware, watching the simulator folder)
// runs on the engine thread, and callbacks run on three callback threads
// (reports, device change, firmware progress) without the mutex held.
class Simulator
{
public:
    using Clock = std::chrono::steady_clock;

    static Simulator& instance();

    CallLog& log() { return m_log; }
    StringPool& pool() { return m_pool; }

    // Discovery and direct queries.
    char** findDevices(const char* vid, const char* pid, int* count);
    bool attribute(const char* path, unsigned char* out);
    UsbDeviceInfo deviceInfo(const char* path);
    bool online(const char* path);
    bool onlineWithAddress(const char* path, unsigned char* out);
    int mouseVersion(const char* path);
    bool receiverVersion(const char* path, int* version);
    bool setReceiverLight(const char* path, DongleRGB* rgb);
    bool receiverLight(const char* path, DongleRGB* rgb);
    bool setLongRange(const char* path, bool on);
    bool longRange(const char* path, unsigned char* mode);
    bool pairByCable(const char* mousePath, const unsigned char* address);
    bool openDevice(const char* path);
    int rawRequest(const char* path, const unsigned char* request, int requestLength,
                   unsigned char* reply, int replyCapacity);

    // Report link.
    enum class Read { AllFlash, Config, Version, Battery, DpiLed, LedBar, CurrentDpi, ReportRate, PairStatus };
    bool startLink(const char* path, UsbDataCallback callback);
    void exitLink();
    void setDriverStatus(bool on);
    void setBatteryOptimize(bool on);
    void read(Read what);
    void clearSettings();
    void setProfile(unsigned char profile);
    void enterPairing(unsigned char cid);
    bool writeImage(const FlashDataMap* image);

    // Device change.
    void startChanged(UsbChangedCallback callback, int intervalMs);
    void stopChanged();

    // Firmware.
    int findBootDevices(const unsigned char* image, int* count);
    bool startUpgrade(const unsigned char* image, UsbUpgradeCallback callback, int timeoutMs);
    char** upgradeLogs();

    // Controls (HidSimControl).
    bool reset(const QByteArray& json, QString* error);
    QByteArray scenario();
    void reload();
    QString directory();
    QStringList deviceIds();
    QString describe();
    QString scenarioError();
    QByteArray pathOf(const QString& id);
    bool plug(const QString& id, bool in, QString* error);
    bool setPowered(const QString& id, bool on, QString* error);
    bool setBattery(const QString& id, int level, bool charging, QString* error);
    enum class Button { Dpi, Rate, Light };
    bool pressButton(const QString& id, Button button, QString* error);
    bool switchProfile(const QString& id, int profile, QString* error);
    bool pair(const QString& mouseId, const QString& receiverId, QString* error);
    QByteArray configImage(const QString& id);
    QByteArray flash(const QString& id, int profile);
    int currentProfile(const QString& id);
    bool injectReport(const QByteArray& header, const QByteArray& data);
    void failWrites(int count);
    void failNextFirmware(int atPercent);
    bool setBootLoader(const QString& id, bool on, QString* error);
    void setTimeScale(double factor);
    double timeScale();
    void setExtraLatency(int us);
    // No report, device-change or progress callback queued or running.
    bool callbacksIdle() { return m_reports.idle() && m_changes.idle() && m_progress.idle(); }

private:
    Simulator();
    static void atExit();
    void shutdown();

    struct Endpoint
    {
        std::string path;
        bool receiver = false;
        int index = 0;  // into World::mice or World::receivers
        QString pid;
    };

    struct Snapshot
    {
        std::map<std::string, bool> paths;  // listed path -> online
        struct MouseSignals
        {
            int dpi = 0, rate = 0, light = 0, battery = 0, profile = 0;
            bool charging = false;
        };
        std::map<QString, MouseSignals> mice;
    };

    struct Link
    {
        bool open = false;
        std::string path;
        UsbDataCallback callback = nullptr;
        quint64 generation = 0;
        Clock::time_point busyUntil;
        bool driverStatus = false;
        bool batteryOptimize = false;
    };

    struct Pairing
    {
        int status = 0;  // 1 pairing, 2 failed, 3 paired
        int cid = 0;
        Clock::time_point readyAt;
        Clock::time_point deadline;
    };

    struct Upgrade
    {
        bool running = false;
        UsbUpgradeCallback callback = nullptr;
        FirmwareImage image;
        bool mouse = false;
        QString target;
        int failAt = -1;
        int percent = 0;  // written so far
        Clock::duration step{};
        quint64 generation = 0;
    };

    // Engine.
    void engineLoop();
    void scheduleAt(Clock::time_point when, std::function<void()> fn);
    // Runs every timed event whose time has come (lock held).
    void runDueTimers();
    Clock::duration scaled(double physicalUs) const;
    void sleepOutsideLock(std::unique_lock<std::mutex>& lock, double physicalUs);

    // World and its views.
    void setWorld(const World& world);
    void pollWorldFile();
    bool mutate(const std::function<bool(World&, QString*)>& change, QString* error);
    const Endpoint* endpoint(const char* path) const;
    const Endpoint* endpoint(const std::string& path) const;
    bool endpointOnline(const Endpoint& e) const;
    const World::Mouse* mouseBehind(const Endpoint& e) const;
    const World::Receiver* receiverAt(const Endpoint& e) const;
    int connectionType(const Endpoint& e) const;
    int intervalUs(const Endpoint& e) const;
    bool rebooting(const QString& mouseId) const;
    Snapshot snapshot() const;
    void react(const Snapshot& before, const Snapshot& after);
    bool takeWriteFailure();

    // Link.
    const World::Mouse* linkedMouse() const;
    // Serves a request on the link after its transfer time. done runs only while
    // the same link is open, unless the request outlives the link (data sent).
    void linkRequest(int reports, bool needsMouse, std::function<void()> done, bool outlivesLink = false);
    void postReport(int type, int address, const QByteArray& data);
    void postConnected();
    void beginRestart(const QString& mouseId);

    // Device change.
    void noteDeviceChange();
    void postChange();

    // Pairing.
    void checkPairing();
    bool pairWorld(World& w, const QString& mouseId, const QString& receiverId, QString* error);

    // Firmware.
    bool fits(const FirmwareImage& image, const World::Mouse& m) const;
    bool fits(const FirmwareImage& image, const World::Receiver& r) const;
    void upgradeStep(quint64 generation, int percent);
    void finishUpgrade(bool success, int percent);
    // Whether the device being updated is still connected and switched on.
    bool upgradeTargetPresent() const;
    // Ends a transfer whose device left: a failure, the device in its boot loader.
    void loseUpgradeTarget();
    void enterBootLoader(const QString& target, bool toMouse);
    void postProgress(int kind, int value);
    void setLogLine(int line, const QString& text);

    // Flash.
    // The model id of a mouse, -1 for an unknown one.
    int modelOf(const QString& mouseId) const;
    SimStore::MouseFlash loadFlash(const QString& mouseId);
    void saveFlash(const QString& mouseId, const SimStore::MouseFlash& flash);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_engineDone;
    std::thread m_engine;
    bool m_stopping = false;
    bool m_engineFinished = false;
    std::multimap<Clock::time_point, std::function<void()>> m_timers;
    Clock::time_point m_nextPoll;

    SimStore m_store;
    World m_world;
    std::vector<Endpoint> m_endpoints;
    QString m_lastLoadError;

    Link m_link;
    std::atomic<quint64> m_linkGeneration{0};
    unsigned char m_sequence = 0;

    UsbChangedCallback m_changeCallback = nullptr;
    int m_changeIntervalMs = 600;
    bool m_burstPending = false;
    std::atomic<quint64> m_changeGeneration{0};

    std::map<QString, Clock::time_point> m_restartUntil;
    std::map<QString, Pairing> m_pairing;
    Upgrade m_upgrade;
    std::atomic<quint64> m_upgradeGeneration{0};
    QStringList m_upgradeLog;

    int m_failWrites = 0;
    double m_scale = 1.0;
    int m_extraLatencyUs = 0;

    CallbackQueue m_reports;
    CallbackQueue m_changes;
    CallbackQueue m_progress;
    CallLog m_log;
    StringPool m_pool;
};
