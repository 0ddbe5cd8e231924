#pragma once

#include "ui/sensor/SwitchFrame.h"

// The sensor page's switch for ripple control, byte 10.
class RippeControl : public SwitchFrame
{
    Q_OBJECT

public:
    explicit RippeControl(QWidget* parent = nullptr)
        : SwitchFrame(Ripple, parent)
    {
    }
};
