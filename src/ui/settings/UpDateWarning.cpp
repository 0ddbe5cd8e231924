#include "ui/settings/UpDateWarning.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

UpDateWarning::UpDateWarning(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("UpDateWarning"), QStringLiteral("WarningFrame"),
                                          QStringLiteral("Confirm Delete"), QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确定")}))
{
    NoticeForm::connectDialog(this);
}

UpDateWarning::~UpDateWarning() = default;

void UpDateWarning::SetMessage(QString text)
{
    m_form->label->setText(text);
}

void UpDateWarning::on_CloseButton_clicked()
{
    close();
}

void UpDateWarning::SlotAllLanguage(int language)
{
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    // A button's new text replaces its shortcut with the text's mnemonic.
    m_form->buttons.at(0)->setShortcut(QKeySequence(Qt::Key_Return));
}

void UpDateWarning::on_NewHong_clicked()
{
    close();
}
