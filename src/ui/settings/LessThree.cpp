#include "ui/settings/LessThree.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/settings/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

LessThree::LessThree(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("LessThree"), QStringLiteral("LessThreeframe"),
                                          QStringLiteral("Please wait, we are updating the setting"),
                                          QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确定")}, 9))
{
    QMetaObject::connectSlotsByName(this);
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
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
