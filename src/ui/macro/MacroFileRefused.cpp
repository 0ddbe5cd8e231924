#include "ui/macro/MacroFileRefused.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

namespace {
constexpr int kRefusedTextPosition = 25;  // section "Macro"
constexpr int kNotChangedTextPosition = 26;
}

MacroFileRefused::MacroFileRefused(QWidget* parent, Reason reason)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("MacroFileRefused"), QStringLiteral("MacroFileRefusedA"),
                                          QStringLiteral("This file is not a valid macro file."),
                                          QStringList{QStringLiteral("NewHong")}, QStringList{QStringLiteral("OK")}))
    , m_reason(reason)
{
    NoticeForm::connectDialog(this);
}

MacroFileRefused::~MacroFileRefused() = default;

void MacroFileRefused::on_NewHong_clicked()
{
    close();
}

void MacroFileRefused::on_CloseButton_clicked()
{
    close();
}

void MacroFileRefused::SlotAllLanguage(int language)
{
    const int position = m_reason == Reason::NotChanged ? kNotChangedTextPosition : kRefusedTextPosition;
    m_form->label->setText(LanguageTables::text(LanguageSection::Macro, language, position));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
}
