#include "ui/home/LeftButtonOnly.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/common/StyleHelper.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

LeftButtonOnly::LeftButtonOnly(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/WarningDialog"));
    setWindowFlags(StyleHelper::noticeFlags());
    setFixedSize(width(), height());
    StyleHelper::activateWhenShown(this);
    applyLook();
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

LeftButtonOnly::~LeftButtonOnly() = default;

void LeftButtonOnly::buildForm()
{
    setObjectName(QStringLiteral("LeftButtonOnly"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(300, 140);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("ButtonOnly"));
    m_frame->setGeometry(0, 0, 300, 140);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setGeometry(272, 8, 20, 20);

    m_label = new QLabel(m_frame);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(15, 35, 270, 80);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setFont(font);
    m_label->setText(QStringLiteral("Left button must be retained"));
}

void LeftButtonOnly::applyLook()
{
    StyleHelper::applyTextColor(m_label, QStringLiteral("LabelColor"));
    m_frame->setStyleSheet(
        StyleHelper::frameBackground(m_frame->objectName(), m_pictureFolder, QStringLiteral("BackGround.png")));
    m_closeButton->setStyleSheet(StyleHelper::toolButtonImages(
        m_pictureFolder, QStringLiteral("Close.png"), QStringLiteral("CloseHover.png"), QStringLiteral("CloseClick.png")));
}

void LeftButtonOnly::on_CloseButton_clicked()
{
    close();
}

void LeftButtonOnly::SlotAllLanguage(int language)
{
    m_label->setText(LanguageTables::text(LanguageSection::ButtonOnly, language, 0));
}
