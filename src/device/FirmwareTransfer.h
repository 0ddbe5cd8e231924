#pragma once

#include "device/UpdateRecords.h"

#include <QByteArray>

#include <functional>

class QObject;

// The one road from a firmware image to the device library, for the update and
// the repair alike: the image is handed over only once the failure record on
// disk names the device it is for, and a record written for a transfer that
// then does not start is taken back.
//
// The library's transfer messages (7, then the kind: 1 progress, 2 end; and
// its value: percent, or 1 for success) arrive on the library's own thread;
// they reach the receiver on the GUI thread, as a plain function and two
// numbers copied whole into Qt's event (a hand-over the thread sanitizer
// knows). Only the messages of the transfer started last are handed on: a late
// end of an earlier start the library refused is not taken as this one's.
class FirmwareTransfer
{
public:
    enum class Outcome {
        Started,
        NotStarted,          // no record could be written, the device went, or the library took nothing
        OtherDevicePending,  // the record names another device: its repair comes first
    };
    using Receiver = void (*)(int kind, int value);

    // The devices in their boot loaders that the image fits: the library hands
    // the image to one of them before any other.
    static int bootDevices(const QByteArray& image);

    // Writes the record, then asks `stillThere` whether the device the run
    // counted is still the only one the image would go to (devices may have
    // come and gone during a slow write), then starts the transfer; `then` gets
    // the outcome unless `context` is gone by then, in which case nothing
    // starts. GUI thread.
    static void start(const UpdateRecords::Failure& device, const QByteArray& image, Receiver receiver,
                      QObject* context, std::function<bool()> stillThere, std::function<void(Outcome)> then);
};
