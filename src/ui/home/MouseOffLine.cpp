#include "ui/home/MouseOffLine.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QToolButton>

MouseOffLine::MouseOffLine(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("MouseOffLine"), QStringLiteral("MouseOffLineA"),
                                          QStringLiteral("   The mouse is offline. Please move first"),
                                          QStringList{QStringLiteral("NewHong")},
                                          QStringList{QString::fromUtf8("确认")}))
{
    // Closes by itself once the device answers again.
    connect(PostMsg::GetInstance(), SIGNAL(SigCloseOffOnline()), this, SLOT(on_CloseButton_clicked()));
    // This notice has confirm pictures of its own ("Picture/WarningDialog").
    m_form->setButtonPictures(QStringLiteral("ConFirm.png"), QStringLiteral("ConFirmClick.png"));
    NoticeForm::connectDialog(this);
}

MouseOffLine::~MouseOffLine() = default;

void MouseOffLine::on_NewHong_clicked()
{
    close();
}

void MouseOffLine::on_CloseButton_clicked()
{
    close();
}

void MouseOffLine::SlotAllLanguage(int language)
{
    const int kind = g_MouseOffLineKind;
    if (kind == 0)
        m_form->label->setText(LanguageTables::text(LanguageSection::MouseOffLine, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    if (kind == 1)
        m_form->label->setText(LanguageTables::text(LanguageSection::MouseOffLine, language, 1));
}
