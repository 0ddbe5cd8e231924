#include "ui/settings/RePair.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

RePair::RePair(QWidget* parent)
    : NoticeQuestion(parent, QStringLiteral("RePair"), QStringLiteral("RePairA"),
                     QStringLiteral("        Do you need to pair again"))
{
    NoticeForm::connectDialog(this);
}

RePair::~RePair() = default;

void RePair::SlotAllLanguage(int language)
{
    form().label->setText(LanguageTables::text(LanguageSection::RePair, language, 0));
    form().buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    form().buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}
