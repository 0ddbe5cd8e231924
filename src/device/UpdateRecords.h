#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QObject;

// The registry records of the firmware update.
//
// "UpdateFailInfo" names the device a transfer may have left in its boot loader
// ("type,kind,customer id,model id"; type 210 mouse, 211 receiver). It is
// written before a transfer starts and removed only when that device's transfer
// succeeds, so a transfer that never reports its end (the program killed, the
// power lost) still leaves the device list its road to the repair.
//
// "MouseVer<cid><mid>" holds the mouse firmware version the device list
// compares with the images when a device is opened.
//
// The writes go through the WriteQueue, in the order they are asked for, so
// that a disk slow to sync never holds up the GUI during an update; the reads
// here see every write asked for before them.
//
// GUI thread.
class UpdateRecords
{
public:
    // "UpdateFailInfo" read into its parts.
    struct Failure
    {
        int type = 0;
        QString kind;  // as written: compared as text with a kind's number
        int customerId = 0;
        int modelId = 0;
    };

    static QString failure();
    // None when there is no record or its text is not four parts.
    static std::optional<Failure> failureRecord();
    static void writeFailure(int type, int kind, int customerId, int modelId);
    enum class TransferRecord {
        Written,      // this call wrote the record
        HeldAlready,  // a record was there and stays
        NotWritten,   // the file could not be written: the transfer must not start
    };
    // Before a transfer: names the device unless a record already names one (a
    // device an earlier transfer left broken stays repairable), then calls
    // `then` once the record is on disk (or could not be written); when
    // `context` is gone by then, the record this call wrote is removed again.
    static void writeFailureBeforeTransfer(int type, int kind, int customerId, int modelId, QObject* context,
                                           std::function<void(TransferRecord)> then);
    // After a transfer of that device succeeded: the record goes when it names
    // the device and stays when it names another.
    static void clearFailureFor(int type, int customerId, int modelId);
    static void removeFailure();

    // The recorded version of the mouse with these catalogue ids ("" when none).
    static QString mouseVersion(const QString& customerId, const QString& modelId);
    // The mouse of the catalogue's model group now runs `version`.
    static void writeMouseVersion(const QString& modelGroup, const QString& version);
};
