#include "device/UpdateRecords.h"

#include "core/ConfigSettings.h"
#include "core/WriteQueue.h"
#include "device/FirmwareImageSearch.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <memory>

namespace {
const QString kFailure = QStringLiteral("UpdateFailInfo");

// The queue's side: reads the file as it is, without waiting for the queue.
QString storedFailure()
{
    return Registry::value(Registry::mouseDriveTestKeyPath(), kFailure).toString();
}

// A record its readers accept: four parts; none for any other text.
std::optional<UpdateRecords::Failure> parseFailure(const QString& record)
{
    const QStringList parts = record.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    return UpdateRecords::Failure{parts.at(0).toInt(), parts.at(1), parts.at(2).toInt(), parts.at(3).toInt()};
}

QString failureText(const UpdateRecords::Failure& device)
{
    return QStringLiteral("%1,%2,%3,%4").arg(device.type).arg(device.kind).arg(device.customerId).arg(device.modelId);
}

bool storeFailure(const QString& record)
{
    return Registry::setValue(Registry::mouseDriveTestKeyPath(), kFailure, record);
}
}  // namespace

bool UpdateRecords::Failure::names(const Failure& device) const
{
    return type == device.type && customerId == device.customerId && modelId == device.modelId
           && (type != FirmwareImageHeader::kReceiverType || kind == device.kind);
}

UpdateRecords::Failure UpdateRecords::device(int type, int kind, int customerId, int modelId)
{
    return Failure{type, QString::number(kind), customerId, modelId};
}

QString UpdateRecords::failure()
{
    WriteQueue::instance().drain();
    return storedFailure();
}

std::optional<UpdateRecords::Failure> UpdateRecords::failureRecord()
{
    return parseFailure(failure());
}

void UpdateRecords::writeFailure(const Failure& device)
{
    WriteQueue::instance().post([device] {
        const std::optional<Failure> held = parseFailure(storedFailure());
        if (held && !held->names(device))
            return true;
        return storeFailure(failureText(device));
    });
}

void UpdateRecords::writeFailureBeforeTransfer(const Failure& device, QObject* context,
                                               std::function<void(TransferRecord)> then)
{
    // The queue answers whether a record is on disk; `held` says whose.
    enum Held { None, Ours, Another };
    auto wrote = std::make_shared<std::atomic<bool>>(false);
    auto held = std::make_shared<std::atomic<int>>(None);
    // A record written for a transfer that will not start is taken back: its
    // asker gone, or the application gone before the answer could come.
    auto takeBack = [device, wrote] {
        if (wrote->load())
            clearFailureFor(device);
    };
    WriteQueue::instance().post(
        [device, wrote, held] {
            if (const std::optional<Failure> record = parseFailure(storedFailure())) {
                held->store(record->names(device) ? Ours : Another);
                return true;
            }
            wrote->store(storeFailure(failureText(device)));
            return wrote->load();
        },
        QCoreApplication::instance(),
        [asker = QPointer<QObject>(context), then = std::move(then), wrote, held, takeBack](bool onDisk) {
            if (!asker) {
                takeBack();
                return;
            }
            if (wrote->load())
                then(TransferRecord::Written);
            else if (held->load() == Another)
                then(TransferRecord::OtherDevice);
            else
                then(onDisk && held->load() == Ours ? TransferRecord::HeldAlready : TransferRecord::NotWritten);
        },
        takeBack);
}

void UpdateRecords::clearFailureFor(const Failure& device)
{
    WriteQueue::instance().post([device] {
        const std::optional<Failure> held = parseFailure(storedFailure());
        if (!held || !held->names(device))
            return true;
        return Registry::remove(Registry::mouseDriveTestKeyPath(), kFailure);
    });
}

QString UpdateRecords::mouseVersion(const QString& customerId, const QString& modelId)
{
    WriteQueue::instance().drain();
    const QString name = Registry::mouseVersionName(customerId, modelId);
    return Registry::value(Registry::mouseDriveTestKeyPath(), name).toString();
}

void UpdateRecords::writeMouseVersion(const QString& modelGroup, const QString& version)
{
    ConfigSettings* config = ConfigSettings::instance();
    const QString name = Registry::mouseVersionName(config->value(QStringLiteral("Option"), QStringLiteral("CID")),
                                                    config->value(modelGroup, QStringLiteral("MID")));
    WriteQueue::instance().post(
        [name, version] { return Registry::setValue(Registry::mouseDriveTestKeyPath(), name, version); });
}
