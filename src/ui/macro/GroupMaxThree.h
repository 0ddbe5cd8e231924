#pragma once

#include "ui/macro/MacroNotice.h"

// Notice: a key combination holds at most three keys.
class GroupMaxThree : public MacroNotice
{
    Q_OBJECT

public:
    explicit GroupMaxThree(QWidget* parent = nullptr);
};
