#include "ui/macro/MacroNotice.h"

#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

MacroNotice::MacroNotice(QWidget* parent, const QString& dialogName, const QString& frameName,
                         const QString& defaultMessage, LanguageSection section)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, dialogName, frameName, defaultMessage,
                                          QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确定")}))
    , m_section(section)
{
    NoticeForm::connectDialog(this);
}

MacroNotice::~MacroNotice() = default;

void MacroNotice::on_NewHong_clicked()
{
    close();
}

void MacroNotice::on_CloseButton_clicked()
{
    close();
}

void MacroNotice::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(m_section, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
}
