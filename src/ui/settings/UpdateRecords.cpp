#include "ui/settings/UpdateRecords.h"

#include "core/ConfigSettings.h"
#include "platform/Registry.h"

#include <QStringList>

namespace {
const QString kFailure = QStringLiteral("UpdateFailInfo");

// The parts of a record its readers accept; empty for any other text.
QStringList failureParts()
{
    const QStringList parts = UpdateRecords::failure().split(QLatin1Char(','));
    return parts.size() == 4 ? parts : QStringList();
}
}

QString UpdateRecords::failure()
{
    return Registry::value(Registry::mouseDriveTestKeyPath(), kFailure).toString();
}

bool UpdateRecords::writeFailure(int type, int kind, int customerId, int modelId)
{
    return Registry::setValue(Registry::mouseDriveTestKeyPath(), kFailure,
                              QStringLiteral("%1,%2,%3,%4").arg(type).arg(kind).arg(customerId).arg(modelId));
}

bool UpdateRecords::writeFailureBeforeTransfer(int type, int kind, int customerId, int modelId)
{
    if (!failureParts().isEmpty())
        return false;
    return writeFailure(type, kind, customerId, modelId);
}

void UpdateRecords::clearFailureFor(int type, int customerId, int modelId)
{
    const QStringList parts = failureParts();
    if (!parts.isEmpty() && parts.at(0).toInt() == type && parts.at(2).toInt() == customerId
        && parts.at(3).toInt() == modelId)
        removeFailure();
}

void UpdateRecords::removeFailure()
{
    Registry::remove(Registry::mouseDriveTestKeyPath(), kFailure);
}

void UpdateRecords::writeMouseVersion(const QString& modelGroup, const QString& version)
{
    ConfigSettings* config = ConfigSettings::instance();
    const QString name = QStringLiteral("MouseVer") + config->value(QStringLiteral("Option"), QStringLiteral("CID"))
                         + config->value(modelGroup, QStringLiteral("MID"));
    Registry::setValue(Registry::mouseDriveTestKeyPath(), name, version);
}
