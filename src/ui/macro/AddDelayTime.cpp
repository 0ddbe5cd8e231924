#include "ui/macro/AddDelayTime.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"

#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

AddDelayTime::AddDelayTime(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("AddDelayTime"), QStringLiteral("AddDelayTimeA"),
                                          QStringLiteral("Please enter the delay time"),
                                          QStringList{QStringLiteral("NewHong"), QStringLiteral("NewHong_2")},
                                          QStringList{QString::fromUtf8("确定"), QString::fromUtf8("取消")}))
{
    m_form->label->setGeometry(15, 18, 270, 36);

    m_spinBox = new QSpinBox(m_form->frame);
    m_spinBox->setObjectName(QStringLiteral("spinBox"));
    m_spinBox->setGeometry(90, 60, 120, 28);
    m_spinBox->setRange(10, 65535);
    m_spinBox->setValue(10);
    m_spinBox->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_spinBox->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(14);
    m_spinBox->setFont(font);
    m_spinBox->setStyleSheet(NoticeForm::fieldSheet(QStringLiteral("QSpinBox")));
    m_spinBox->setFocus();

    NoticeForm::connectDialog(this);
}

AddDelayTime::~AddDelayTime() = default;

void AddDelayTime::on_NewHong_clicked()
{
    accepted = true;
    m_spinBox->interpretText();
    delayTime = m_spinBox->value();
    close();
}

void AddDelayTime::on_CloseButton_clicked()
{
    accepted = false;
    close();
}

void AddDelayTime::on_NewHong_2_clicked()
{
    accepted = false;
    close();
}

void AddDelayTime::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::AddDelayTime, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}
