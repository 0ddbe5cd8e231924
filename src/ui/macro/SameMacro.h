#pragma once

#include "ui/macro/MacroNotice.h"

// Notice: another macro already has this name.
class SameMacro : public MacroNotice
{
    Q_OBJECT

public:
    explicit SameMacro(QWidget* parent = nullptr);
};
