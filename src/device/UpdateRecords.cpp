#include "ui/settings/UpdateRecords.h"

#include "core/ConfigSettings.h"
#include "core/WriteQueue.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>

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

QString failureText(int type, int kind, int customerId, int modelId)
{
    return QStringLiteral("%1,%2,%3,%4").arg(type).arg(kind).arg(customerId).arg(modelId);
}

bool storeFailure(const QString& record)
{
    return Registry::setValue(Registry::mouseDriveTestKeyPath(), kFailure, record);
}

bool dropFailure()
{
    return Registry::remove(Registry::mouseDriveTestKeyPath(), kFailure);
}
}  // namespace

QString UpdateRecords::failure()
{
    WriteQueue::instance().drain();
    return storedFailure();
}

std::optional<UpdateRecords::Failure> UpdateRecords::failureRecord()
{
    return parseFailure(failure());
}

void UpdateRecords::writeFailure(int type, int kind, int customerId, int modelId)
{
    const QString record = failureText(type, kind, customerId, modelId);
    WriteQueue::instance().post([record] { return storeFailure(record); });
}

void UpdateRecords::writeFailureBeforeTransfer(int type, int kind, int customerId, int modelId, QObject* context,
                                               std::function<void(TransferRecord)> then)
{
    const QString record = failureText(type, kind, customerId, modelId);
    // The queue answers whether a record is on disk; `wrote` says whose. A
    // transfer that will not start, its asker gone, takes back the record
    // written for it.
    auto wrote = std::make_shared<std::atomic<bool>>(false);
    WriteQueue::instance().post(
        [record, wrote] {
            if (parseFailure(storedFailure()))
                return true;
            wrote->store(storeFailure(record));
            return wrote->load();
        },
        QCoreApplication::instance(),
        [asker = QPointer<QObject>(context), then = std::move(then), wrote](bool onDisk) {
            const bool recorded = wrote->load();
            if (asker)
                then(recorded ? TransferRecord::Written
                              : (onDisk ? TransferRecord::HeldAlready : TransferRecord::NotWritten));
            else if (recorded)
                removeFailure();
        });
}

void UpdateRecords::clearFailureFor(int type, int customerId, int modelId)
{
    WriteQueue::instance().post([type, customerId, modelId] {
        const std::optional<Failure> held = parseFailure(storedFailure());
        if (!held || held->type != type || held->customerId != customerId || held->modelId != modelId)
            return true;
        return dropFailure();
    });
}

void UpdateRecords::removeFailure()
{
    WriteQueue::instance().post(dropFailure);
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
