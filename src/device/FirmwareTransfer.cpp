#include "device/FirmwareTransfer.h"

#include <HIDUsb.h>

#include <QCoreApplication>

namespace {
constexpr int kUpgradeTimeoutMs = 10000;

// GUI thread only. Each start hands the library the other of two entry points,
// so a message tells which start it belongs to.
int s_slot = 0;
FirmwareTransfer::Receiver s_receiver = nullptr;

void deliver(int slot, int kind, int value)
{
    if (slot == s_slot && s_receiver)
        s_receiver(kind, value);
}

// The library's thread: anything but a transfer message is dropped.
template <int Slot>
void fromLibrary(unsigned char* message)
{
    if (!message || message[0] != 7)
        return;
    const int kind = message[1];
    const int value = message[2];
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [kind, value] { deliver(Slot, kind, value); }, Qt::QueuedConnection);
}

constexpr UsbUpgradeCallback kEntries[2] = {&fromLibrary<0>, &fromLibrary<1>};
}  // namespace

int FirmwareTransfer::bootDevices(const QByteArray& image)
{
    int count = 5;
    UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char*>(image.constData()), &count);
    return count;
}

void FirmwareTransfer::start(const UpdateRecords::Failure& device, const QByteArray& image, Receiver receiver,
                             QObject* context, std::function<bool()> stillThere, std::function<void(Outcome)> then)
{
    using Record = UpdateRecords::TransferRecord;
    UpdateRecords::writeFailureBeforeTransfer(
        device, context,
        [device, image, receiver, stillThere = std::move(stillThere), then = std::move(then)](Record record) {
            if (record == Record::OtherDevice) {
                then(Outcome::OtherDevicePending);
                return;
            }
            // Without its record a transfer broken off would leave no road back.
            bool started = false;
            if ((record == Record::Written || record == Record::HeldAlready) && (!stillThere || stillThere())) {
                s_slot ^= 1;
                s_receiver = receiver;
                started = UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(image.constData()),
                                           kEntries[s_slot], kUpgradeTimeoutMs);
            }
            if (started) {
                then(Outcome::Started);
                return;
            }
            // Nothing was sent: the record written for it goes again.
            if (record == Record::Written)
                UpdateRecords::clearFailureFor(device);
            then(Outcome::NotStarted);
        });
}
