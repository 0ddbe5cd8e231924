#include "ui/sensor/Sensor.h"

Sensor::Sensor(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Sensor"));
    resize(883, 630);
}

Sensor::~Sensor() = default;
