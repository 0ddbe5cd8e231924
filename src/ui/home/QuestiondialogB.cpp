#include "ui/home/QuestiondialogB.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>

QuestiondialogB::QuestiondialogB(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("QuestiondialogB"), QStringLiteral("QuestionB"),
                                          QStringLiteral("  Do not insert multiple identical devices"),
                                          QStringList(), QStringList()))
{
    NoticeForm::connectDialog(this);
}

QuestiondialogB::~QuestiondialogB() = default;

void QuestiondialogB::on_CloseButton_clicked()
{
    close();
}

void QuestiondialogB::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::QuestionB, language, 0));
}
