#include "HidSimControl.h"

#include "SampleScenario.h"
#include "Simulator.h"

namespace hidsim {

namespace {
Simulator& sim()
{
    return Simulator::instance();
}
}  // namespace

bool HidSimControl::reset(const QByteArray& scenarioJson, QString* error)
{
    return sim().reset(scenarioJson.isEmpty() ? sampleScenario() : scenarioJson, error);
}

QByteArray HidSimControl::sampleScenario()
{
    return QByteArray(kSampleScenario);
}

QByteArray HidSimControl::scenario()
{
    return sim().scenario();
}

void HidSimControl::reload()
{
    sim().reload();
}

QString HidSimControl::directory()
{
    return sim().directory();
}

QString HidSimControl::defaultDirectory()
{
    return SimStore::folderFromEnvironment();
}

QStringList HidSimControl::deviceIds()
{
    return sim().deviceIds();
}

QString HidSimControl::describe()
{
    return sim().describe();
}

QString HidSimControl::scenarioError()
{
    return sim().scenarioError();
}

QByteArray HidSimControl::path(const QString& id)
{
    return sim().pathOf(id);
}

bool HidSimControl::plug(const QString& id, QString* error)
{
    return sim().plug(id, true, error);
}

bool HidSimControl::unplug(const QString& id, QString* error)
{
    return sim().plug(id, false, error);
}

bool HidSimControl::setPowered(const QString& mouseId, bool on, QString* error)
{
    return sim().setPowered(mouseId, on, error);
}

bool HidSimControl::setBattery(const QString& mouseId, int level, bool charging, QString* error)
{
    return sim().setBattery(mouseId, level, charging, error);
}

bool HidSimControl::pressDpiButton(const QString& mouseId, QString* error)
{
    return sim().pressButton(mouseId, Simulator::Button::Dpi, error);
}

bool HidSimControl::pressRateButton(const QString& mouseId, QString* error)
{
    return sim().pressButton(mouseId, Simulator::Button::Rate, error);
}

bool HidSimControl::pressLightButton(const QString& mouseId, QString* error)
{
    return sim().pressButton(mouseId, Simulator::Button::Light, error);
}

bool HidSimControl::pair(const QString& mouseId, const QString& receiverId, QString* error)
{
    return sim().pair(mouseId, receiverId, error);
}

QByteArray HidSimControl::configImage(const QString& mouseId)
{
    return sim().configImage(mouseId);
}

QByteArray HidSimControl::flash(const QString& mouseId, int profile)
{
    return sim().flash(mouseId, profile);
}

int HidSimControl::currentProfile(const QString& mouseId)
{
    return sim().currentProfile(mouseId);
}

bool HidSimControl::switchProfile(const QString& mouseId, int profile, QString* error)
{
    return sim().switchProfile(mouseId, profile, error);
}

bool HidSimControl::injectReport(const QByteArray& header, const QByteArray& data)
{
    return sim().injectReport(header, data);
}

void HidSimControl::failWrites(int count)
{
    sim().failWrites(count);
}

void HidSimControl::failNextFirmwareTransfer(int atPercent)
{
    sim().failNextFirmware(atPercent);
}

bool HidSimControl::setBootLoader(const QString& id, bool on, QString* error)
{
    return sim().setBootLoader(id, on, error);
}

void HidSimControl::setTimeScale(double factor)
{
    sim().setTimeScale(factor);
}

double HidSimControl::timeScale()
{
    return sim().timeScale();
}

void HidSimControl::setExtraLatencyUs(int us)
{
    sim().setExtraLatency(us);
}

QVector<CallRecord> HidSimControl::callLog()
{
    return sim().log().entries();
}

bool HidSimControl::callbacksIdle()
{
    return sim().callbacksIdle();
}

void HidSimControl::clearCallLog()
{
    sim().log().clear();
}

}  // namespace hidsim
