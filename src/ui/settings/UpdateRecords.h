#pragma once

#include <QString>

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
// GUI thread.
class UpdateRecords
{
public:
    static QString failure();
    // False when the registry could not be written.
    static bool writeFailure(int type, int kind, int customerId, int modelId);
    // Before a transfer: names the device unless a record already names one (a
    // device an earlier transfer left broken stays repairable). True when this
    // call wrote it.
    static bool writeFailureBeforeTransfer(int type, int kind, int customerId, int modelId);
    // After a transfer of that device succeeded: the record goes when it names
    // the device and stays when it names another.
    static void clearFailureFor(int type, int customerId, int modelId);
    static void removeFailure();

    // The mouse of the catalogue's model group now runs `version`.
    static void writeMouseVersion(const QString& modelGroup, const QString& version);
};
