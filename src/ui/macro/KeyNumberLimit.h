#pragma once

#include "ui/macro/MacroNotice.h"

// Notice: the macro holds as many key events as it can.
class KeyNumberLimit : public MacroNotice
{
    Q_OBJECT

public:
    explicit KeyNumberLimit(QWidget* parent = nullptr);
};
