#include "ui/settings/LessThree.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

LessThree::LessThree(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("LessThree"), QStringLiteral("LessThreeframe"),
                                          QStringLiteral("Please wait, we are updating the setting"),
                                          QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确定")}, 9))
{
    NoticeForm::connectDialog(this);
}

LessThree::~LessThree() = default;

void LessThree::on_NewHong_clicked()
{
    close();
}

void LessThree::on_CloseButton_clicked()
{
    close();
}

void LessThree::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::LessThree, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
}
