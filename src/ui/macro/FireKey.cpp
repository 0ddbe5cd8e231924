#include "ui/macro/FireKey.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"
#include "ui/common/StyleHelper.h"

#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

namespace {
constexpr int kWidth = 406;
constexpr int kHeight = 170;

QSpinBox* makeNumber(QWidget* parent, const char* name, int minimum, int maximum, int value, const QRect& geometry)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    box->setFont(font);
    box->setStyleSheet(NoticeForm::fieldSheet(QStringLiteral("QSpinBox")));
    return box;
}

QLabel* makeCaption(QWidget* parent, const char* name, const QString& text, const QFont& font, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(font);
    label->setText(text);
    label->setAlignment(Qt::AlignCenter);
    StyleHelper::applyTextColor(label, QStringLiteral("LabelColor"));
    return label;
}
} // namespace

FireKey::FireKey(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(
          this, QStringLiteral("FireKey"), QStringLiteral("FireKeyA"),
          QString::fromUtf8("次数设置为0时, 按下按键一直发, 松开按键结束"),
          QStringList{QStringLiteral("NewHong"), QStringLiteral("NewHong_2")},
          QStringList{QString::fromUtf8("确认"), QString::fromUtf8("取消")}))
{
    m_form->resize(this, kWidth, kHeight);
    // The form's message is the hint across the top.
    QLabel* hint = m_form->label;
    hint->setObjectName(QStringLiteral("label_3"));
    hint->setGeometry(20, 22, kWidth - 40, 44);

    // Two columns under the hint: a caption above each number.
    const QFont font = hint->font();
    const int column = (kWidth - 40) / 2;
    m_countLabel = makeCaption(m_form->frame, "label", QString::fromUtf8("次数 (0-3)"), font, QRect(20, 67, column, 26));
    m_count = makeNumber(m_form->frame, "Count", 0, 3, 3, QRect(20 + (column - 70) / 2, 95, 70, 26));
    m_intervalLabel = makeCaption(m_form->frame, "label_2", QString::fromUtf8("间隔 (10-255)"), font,
                                  QRect(20 + column, 67, column, 26));
    m_time = makeNumber(m_form->frame, "Time", 10, 255, 10, QRect(20 + column + (column - 70) / 2, 95, 70, 26));

    NoticeForm::connectDialog(this);
}

FireKey::~FireKey() = default;

void FireKey::SetCount(int value)
{
    m_count->setValue(value);
}

void FireKey::SetInterval(int value)
{
    m_time->setValue(value);
}

void FireKey::on_NewHong_clicked()
{
    m_count->interpretText();
    m_time->interpretText();
    accepted = true;
    interval = m_time->value();
    count = m_count->value();
    close();
}

void FireKey::on_CloseButton_clicked()
{
    accepted = false;
    close();
}

void FireKey::on_NewHong_2_clicked()
{
    accepted = false;
    close();
}

void FireKey::SlotAllLanguage(int language)
{
    m_countLabel->setText(LanguageTables::text(LanguageSection::FireKey, language, 0));
    m_intervalLabel->setText(LanguageTables::text(LanguageSection::FireKey, language, 1));
    m_form->label->setText(LanguageTables::text(LanguageSection::FireKey, language, 2));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}
