#include "ui/home/LeftButtonOnly.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>

LeftButtonOnly::LeftButtonOnly(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("LeftButtonOnly"), QStringLiteral("ButtonOnly"),
                                          QStringLiteral("Left button must be retained"),
                                          QStringList(), QStringList()))
{
    NoticeForm::connectDialog(this);
}

LeftButtonOnly::~LeftButtonOnly() = default;

void LeftButtonOnly::on_CloseButton_clicked()
{
    close();
}

void LeftButtonOnly::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::ButtonOnly, language, 0));
}
