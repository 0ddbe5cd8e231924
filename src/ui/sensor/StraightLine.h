#pragma once

#include "ui/sensor/SwitchFrame.h"

// The sensor page's switch for angle snapping, byte 9.
class StraightLine : public SwitchFrame
{
    Q_OBJECT

public:
    explicit StraightLine(QWidget* parent = nullptr)
        : SwitchFrame(AngleSnapping, parent)
    {
    }
};
