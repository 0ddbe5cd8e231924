#include "ui/macro/addKey.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"
#include "ui/macro/KeyTable.h"

#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

addKey::addKey(QWidget* parent)
    : QDialog(parent)
    , m_hook(KeyHookModule::AddKey)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("addKey"), QStringLiteral("addKeyA"),
                                          QStringLiteral("Please enter a button"),
                                          QStringList{QStringLiteral("NewHong"), QStringLiteral("NewHong_2")},
                                          QStringList{QString::fromUtf8("确定"), QString::fromUtf8("取消")}))
{
    m_form->label->setGeometry(15, 18, 270, 36);

    m_lineEdit = new QLineEdit(m_form->frame);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setGeometry(40, 60, 220, 28);
    m_lineEdit->setAlignment(Qt::AlignCenter);
    m_lineEdit->setMaxLength(50);
    QFont font = m_lineEdit->font();
    font.setPointSize(12);
    m_lineEdit->setFont(font);
    m_lineEdit->setStyleSheet(NoticeForm::fieldSheet(QStringLiteral("QLineEdit")));

    m_hook.Install();
    m_hook.SetCallback(this, [this](int virtualKey, bool down, bool repeat) {
        UpdateCapslockTip(virtualKey, down, repeat);
    });
    NoticeForm::connectDialog(this);
    m_lineEdit->setFocus();
}

addKey::~addKey()
{
    m_hook.Uninstall();
}

void addKey::UpdateCapslockTip(int virtualKey, bool, bool)
{
    keyName = KeyTable::VirtualKeyToName(virtualKey, true);
    m_lineEdit->setText(keyName);
}

void addKey::on_NewHong_clicked()
{
    accepted = true;
    m_hook.Uninstall();
    accept();
}

void addKey::on_CloseButton_clicked()
{
    accepted = false;
    m_hook.Uninstall();
    reject();
}

void addKey::on_NewHong_2_clicked()
{
    accepted = false;
    m_hook.Uninstall();
    reject();
}

void addKey::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::AddKey, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}

void addKey::keyPressEvent(QKeyEvent* event)
{
    // Escape is a key to choose here, not a way out; F12 likewise.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QDialog::keyPressEvent(event);
}

void addKey::hideEvent(QHideEvent* event)
{
    // Every way of closing hides the dialog; a minimised one only pauses.
    if (!event->spontaneous())
        m_hook.Uninstall();
    QDialog::hideEvent(event);
}
