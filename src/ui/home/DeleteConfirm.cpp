#include "ui/home/DeleteConfirm.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

DeleteConfirm::DeleteConfirm(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("DeleteConfirm"), QStringLiteral("DeleteConfirmA"),
                                          QStringLiteral("Confirm Delete"), QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确定")}))
{
    NoticeForm::connectDialog(this);
}

DeleteConfirm::~DeleteConfirm() = default;

void DeleteConfirm::on_NewHong_clicked()
{
    confirmed = true;
    close();
}

void DeleteConfirm::on_CloseButton_clicked()
{
    confirmed = false;
    close();
}

void DeleteConfirm::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::DeleteConfirm, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
}
