#include "ui/settings/InportFail.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

InportFail::InportFail(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("InportFail"), QStringLiteral("InportFailA"),
                                          QStringLiteral("Config does not match the device"),
                                          QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确定")}))
{
    NoticeForm::connectDialog(this);
}

InportFail::~InportFail() = default;

void InportFail::on_NewHong_clicked()
{
    close();
}

void InportFail::SlotAllLanguage(int language)
{
    const int result = g_ImportResult;
    if (result == 1 || result == 2)
        m_form->label->setText(LanguageTables::text(LanguageSection::InportFail, language, result - 1));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
}

void InportFail::on_CloseButton_clicked()
{
    close();
}
