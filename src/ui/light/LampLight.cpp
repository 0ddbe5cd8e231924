#include "ui/light/LampLight.h"

LampLight::LampLight(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LampLight"));
    resize(880, 630);
}

LampLight::~LampLight() = default;
