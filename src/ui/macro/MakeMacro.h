#pragma once

#include "ui/macro/MacroNotice.h"

// Notice: a macro must be made before one can be chosen.
class MakeMacro : public MacroNotice
{
    Q_OBJECT

public:
    explicit MakeMacro(QWidget* parent = nullptr);
};
