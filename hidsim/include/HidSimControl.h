#pragma once

// Controls of the simulated devices, for tests (in-process) and for the
// command-line tool hidsimctl. Every action changes the simulator folder
// (HIDSIM_DIR, default "$HOME/.hidsim": scenario.json and flash/<mouse>.bin), so
// a program running on the same folder sees it within about 100 ms and answers
// it as the devices would: device-change calls for plugs, report 9 when a
// linked mouse comes back, report 10 for button presses and battery changes.
//
// Scenario file (JSON): {"vendorId": "3A7C", "mice": [...], "receivers": [...]}
//   mouse:    id, cid, mid, usbPid ("0A01"), receiverKind (0 wired model, 1, 2, 4, 8),
//             firmware ("v1.3"), cable, powered, battery (0..100), charging,
//             pairedTo (receiver id or ""), pairing, bootLoader, dpiPresses, ratePresses,
//             lightPresses
//   receiver: id, kind (1, 2, 4, 8), cid, mid (default: those of its mouse),
//             address ("1C0801"), firmware, plugged, lightMode (0..3), longRange, bootLoader
//   top level also: failUpdateAt (the next firmware transfer fails at this percent)

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <thread>

namespace hidsim {

struct CallRecord
{
    QString function;    // entry point, e.g. "UsbServer_ReadAllFlashData"
    QString arguments;   // its arguments as text
    std::thread::id thread;
    qint64 elapsedUs = 0;  // since the library started
};

class HidSimControl
{
public:
    // ---- The virtual devices ----
    // Replaces the scenario (empty: the shipped sample), forgets every mouse's flash,
    // closes the link, drops the device-change registration, pending answers,
    // injected faults and the call log. False with error for a malformed scenario.
    static bool reset(const QByteArray& scenarioJson = QByteArray(), QString* error = nullptr);
    static QByteArray sampleScenario();
    static QByteArray scenario();
    // Reads the folder again as a new process would (keeps link and registration).
    static void reload();
    static QString directory();
    // The folder a new process would use, from the environment alone.
    static QString defaultDirectory();
    static QStringList deviceIds();
    // One line per device (what "hidsimctl list" prints).
    static QString describe();
    // Why scenario.json could not be read as it stands now (the devices then stay
    // as they were); empty when it was read.
    static QString scenarioError();
    // The path the device is listed under now; empty when it is not listed.
    static QByteArray path(const QString& id);

    // ---- Actions of a person at the desk; false with error when they do not fit ----
    // A receiver into / out of the computer; a mouse's cable in / out.
    static bool plug(const QString& id, QString* error = nullptr);
    static bool unplug(const QString& id, QString* error = nullptr);
    static bool setPowered(const QString& mouseId, bool on, QString* error = nullptr);
    static bool setBattery(const QString& mouseId, int level, bool charging, QString* error = nullptr);
    // The mouse's own DPI button (next stage), rate button (next report rate) and
    // light button (light bar: off, modes 1 to 5, off again).
    static bool pressDpiButton(const QString& mouseId, QString* error = nullptr);
    static bool pressRateButton(const QString& mouseId, QString* error = nullptr);
    static bool pressLightButton(const QString& mouseId, QString* error = nullptr);
    // Without a receiver: the mouse enters pairing mode and pairs with a receiver that
    // waits for its customer id. With one: the two are paired at once.
    static bool pair(const QString& mouseId, const QString& receiverId = QString(),
                     QString* error = nullptr);

    // ---- What a mouse holds ----
    // The parsed configuration image (FlashDataMap bytes) of the current profile;
    // empty for an unknown mouse.
    static QByteArray configImage(const QString& mouseId);
    // The raw 6912-byte flash of a profile (-1: the current one).
    static QByteArray flash(const QString& mouseId, int profile = -1);
    static int currentProfile(const QString& mouseId);
    // Switches the mouse to profile 0..3 from the mouse itself; a linked mouse
    // then reports the new profile and asks for a full refresh.
    static bool switchProfile(const QString& mouseId, int profile, QString* error = nullptr);

    // ---- Faults and traffic ----
    // Delivers a report with any header and data to the open link's callback.
    static bool injectReport(const QByteArray& header, const QByteArray& data);
    // The next count writes (image, receiver settings, profile, factory reset,
    // pairing by cable) fail: nothing is sent and the call reports false.
    static void failWrites(int count);
    // The next firmware transfer fails when it reaches this percent (0..100; -1
    // clears it). Kept in the scenario until a transfer takes it.
    static void failNextFirmwareTransfer(int atPercent);
    // Puts a mouse or receiver into its boot loader or back to normal mode (false
    // while it is being updated).
    static bool setBootLoader(const QString& id, bool on, QString* error = nullptr);
    // Factor on every library duration (0: immediate); starts at HIDSIM_TIME_SCALE,
    // else DESKLINK_TIME_SCALE, else 1.
    static void setTimeScale(double factor);
    static double timeScale();
    // Added to every request on the link and every direct query, in microseconds.
    static void setExtraLatencyUs(int us);
    // True when no callback of the library is queued or running: after the link
    // is closed, what the caller's callbacks touch may then be torn down.
    static bool callbacksIdle();
    static QVector<CallRecord> callLog();
    static void clearCallLog();
};

}  // namespace hidsim
