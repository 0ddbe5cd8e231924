#pragma once

#include "device/FlashDataMap.h"

#include <QObject>
#include <QStringList>

#include <functional>

// Records, in order, what the bus hands the pages when an image is shown and
// the notices around it, for signals emitted on the GUI thread:
// "LightUIA(m)", "SensorUIB(m)", "ButtonUIC(m)" with the image's marker m,
// "FormB", "MouseOffLineo(k)" and, with `setver`, "Setver(k)". Stops recording
// when destroyed.
class PageSignalLog : public QObject
{
public:
    explicit PageSignalLog(std::function<int(const FlashDataMap&)> marker, bool setver = false);

    QStringList lines;
};
