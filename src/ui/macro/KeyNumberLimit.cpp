#include "ui/macro/KeyNumberLimit.h"

KeyNumberLimit::KeyNumberLimit(QWidget* parent)
    : MacroNotice(parent, QStringLiteral("KeyNumberLimit"), QStringLiteral("LimitA"), QStringLiteral("Macro Key reached the Max limit"),
                  LanguageSection::Limit)
{
}
