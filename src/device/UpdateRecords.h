#pragma once

#include <QString>

#include <functional>
#include <optional>

class QObject;

// The registry records of the firmware update.
//
// "UpdateFailInfo" names the device a transfer may have left in its boot loader
// ("type,kind,customer id,model id"; type 210 mouse, 211 receiver). It is
// written before a transfer starts and removed only when that device's transfer
// succeeds, so a transfer that never reports its end (the program killed, the
// power lost) still leaves the device list its road to the repair. There is one
// record: a transfer starts only while it names that transfer's own device, and
// no write replaces a record naming another device, whose repair it would take
// away.
//
// "MouseVer<cid><mid>" holds the mouse firmware version the device list
// compares with the images when a device is opened.
//
// Every write, the device thread's included, goes through the WriteQueue, in
// the order it is asked for, so that a disk slow to sync never holds up the GUI
// during an update; the reads here see every write asked for before them.
//
// GUI thread, except writeMouseVersion (any thread).
class UpdateRecords
{
public:
    // "UpdateFailInfo" read into its parts; also the device a transfer is for.
    struct Failure
    {
        int type = 0;
        QString kind;  // as written: compared as text with a kind's number
        int customerId = 0;
        int modelId = 0;

        // The same device: type, customer and model, and a receiver's kind.
        bool names(const Failure& device) const;
    };
    static Failure device(int type, int kind, int customerId, int modelId);

    static QString failure();
    // None when there is no record or its text is not four parts.
    static std::optional<Failure> failureRecord();
    // After a failed transfer: names `device`, unless a record names another.
    static void writeFailure(const Failure& device);
    enum class TransferRecord {
        Written,      // this call wrote the record
        HeldAlready,  // the record names this device already and stays
        OtherDevice,  // the record names another device and stays: the transfer must not start
        NotWritten,   // the file could not be written: the transfer must not start
    };
    // Before a transfer: names the device unless a record is there already,
    // then calls `then` once the record is on disk (or could not be written).
    // When `context` is gone by then, or the application goes before the
    // answer came, the record this call wrote is taken back.
    static void writeFailureBeforeTransfer(const Failure& device, QObject* context,
                                           std::function<void(TransferRecord)> then);
    // After a transfer of that device succeeded, or did not start: the record
    // goes when it names the device and stays when it names another.
    static void clearFailureFor(const Failure& device);

    // The recorded version of the mouse with these catalogue ids ("" when none).
    static QString mouseVersion(const QString& customerId, const QString& modelId);
    // The mouse of the catalogue's model group now runs `version`.
    static void writeMouseVersion(const QString& modelGroup, const QString& version);
};
