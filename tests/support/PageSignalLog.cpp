#include "PageSignalLog.h"

#include "core/PostMsg.h"

PageSignalLog::PageSignalLog(std::function<int(const FlashDataMap&)> marker, bool setver)
{
    PostMsg* bus = PostMsg::GetInstance();
    auto image = [this, marker](const char* name) {
        return [this, marker, name](FlashDataMap m) { lines << QStringLiteral("%1(%2)").arg(name).arg(marker(m)); };
    };
    auto kind = [this](const char* name) {
        return [this, name](int k) { lines << QStringLiteral("%1(%2)").arg(name).arg(k); };
    };
    connect(bus, &PostMsg::SigUpDataLightUIA, this, image("LightUIA"));
    connect(bus, &PostMsg::SigUpDataSensorUIB, this, image("SensorUIB"));
    connect(bus, &PostMsg::SigUpDataButtonUIC, this, image("ButtonUIC"));
    connect(bus, &PostMsg::SigFormB, this, [this] { lines << QStringLiteral("FormB"); });
    connect(bus, &PostMsg::SigMouseOffLineo, this, kind("MouseOffLineo"));
    if (setver)
        connect(bus, &PostMsg::SigSetver, this, kind("Setver"));
}
