#include "ui/macro/GroupMaxThree.h"

GroupMaxThree::GroupMaxThree(QWidget* parent)
    : MacroNotice(parent, QStringLiteral("GroupMaxThree"), QStringLiteral("MaxThree"), QStringLiteral("  Key can only have up to three buttons"),
                  LanguageSection::MaxThree)
{
}
