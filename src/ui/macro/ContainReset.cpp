#include "ui/macro/ContainReset.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

ContainReset::ContainReset(QWidget* parent)
    : NoticeQuestion(parent, QStringLiteral("ContainReset"), QStringLiteral("ContainResetA"),
                     QStringLiteral(" Is need to restore the default settings"))
{
    NoticeForm::connectDialog(this);
}

ContainReset::~ContainReset() = default;

void ContainReset::SetMessage(QString text)
{
    form().label->setText(text);
}

void ContainReset::SlotAllLanguage(int language)
{
    form().label->setText(LanguageTables::text(LanguageSection::ContainReset, language, 0));
    form().buttons.at(0)->setText(LanguageTables::text(LanguageSection::DialogChange, language, 4));
    form().buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
    // A button's new text replaces its shortcut with the text's mnemonic.
    form().buttons.at(0)->setShortcut(QKeySequence(Qt::Key_Return));
}
