#include "ui/macro/MakeMacro.h"

MakeMacro::MakeMacro(QWidget* parent)
    : MacroNotice(parent, QStringLiteral("MakeMacro"), QStringLiteral("MakeMacroA"), QStringLiteral("Please create a macro first"),
                  LanguageSection::MakeMacro)
{
}
