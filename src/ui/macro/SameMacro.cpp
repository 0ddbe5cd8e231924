#include "ui/macro/SameMacro.h"

SameMacro::SameMacro(QWidget* parent)
    : MacroNotice(parent, QStringLiteral("SameMacro"), QStringLiteral("SameMacroA"), QStringLiteral("Already have a same name macro"),
                  LanguageSection::SameMacro)
{
}
