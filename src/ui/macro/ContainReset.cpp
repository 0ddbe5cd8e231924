#include "ui/macro/ContainReset.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/settings/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

ContainReset::ContainReset(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(
          this, QStringLiteral("ContainReset"), QStringLiteral("ContainResetA"),
          QStringLiteral(" Is need to restore the default settings"),
          QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")},
          QStringList{QString::fromUtf8("确定"), QString::fromUtf8("取消")}))
{
    QMetaObject::connectSlotsByName(this);
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

ContainReset::~ContainReset() = default;

void ContainReset::SetMessage(QString text)
{
    m_form->label->setText(text);
}

void ContainReset::on_CloseButton_clicked()
{
    accepted = false;
    close();
}

void ContainReset::on_OK_clicked()
{
    accepted = true;
    close();
}

void ContainReset::on_Cancel_clicked()
{
    accepted = false;
    close();
}

void ContainReset::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::ContainReset, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::DialogChange, language, 4));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
    // A button's new text replaces its shortcut with the text's mnemonic.
    m_form->buttons.at(0)->setShortcut(QKeySequence(Qt::Key_Return));
}
