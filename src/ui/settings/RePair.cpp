#include "ui/settings/RePair.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/settings/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

RePair::RePair(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(
          this, QStringLiteral("RePair"), QStringLiteral("RePairA"),
          QStringLiteral("        Do you need to pair again"),
          QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")},
          QStringList{QString::fromUtf8("确定"), QString::fromUtf8("取消")}))
{
    QMetaObject::connectSlotsByName(this);
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

RePair::~RePair() = default;

void RePair::on_CloseButton_clicked()
{
    accepted = false;
    close();
}

void RePair::on_OK_clicked()
{
    accepted = true;
    close();
}

void RePair::on_Cancel_clicked()
{
    accepted = false;
    close();
}

void RePair::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::RePair, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}
