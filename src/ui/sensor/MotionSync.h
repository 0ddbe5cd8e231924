#pragma once

#include "ui/sensor/SwitchFrame.h"

// The sensor page's switch for motion sync, byte 7.
class MotionSync : public SwitchFrame
{
    Q_OBJECT

public:
    explicit MotionSync(QWidget* parent = nullptr)
        : SwitchFrame(MotionSyncSwitch, parent)
    {
    }
};
