#include "ui/home/MouseOffLine.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/common/StyleHelper.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

MouseOffLine::MouseOffLine(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    connect(PostMsg::GetInstance(), SIGNAL(SigCloseOffOnline()), this, SLOT(on_CloseButton_clicked()));
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/WarningDialog"));
    setWindowFlags(StyleHelper::noticeFlags());
    StyleHelper::activateWhenShown(this);
    applyLook();
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

MouseOffLine::~MouseOffLine() = default;

void MouseOffLine::buildForm()
{
    setObjectName(QStringLiteral("MouseOffLine"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(300, 140);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("MouseOffLineA"));
    m_frame->setGeometry(0, 0, 300, 140);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setGeometry(272, 8, 20, 20);

    m_label = new QLabel(m_frame);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(15, 30, 270, 65);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setFont(font);
    m_label->setText(QStringLiteral("   The mouse is offline. Please move first"));

    m_newHong = new QToolButton(m_frame);
    m_newHong->setObjectName(QStringLiteral("NewHong"));
    m_newHong->setGeometry(105, 102, 90, 24);
    m_newHong->setFont(font);
    m_newHong->setText(QString::fromUtf8("确认"));
}

void MouseOffLine::applyLook()
{
    StyleHelper::applyTextColor(m_label, QStringLiteral("LabelColor"));
    m_frame->setStyleSheet(
        StyleHelper::frameBackground(m_frame->objectName(), m_pictureFolder, QStringLiteral("BackGround.png")));
    m_closeButton->setStyleSheet(StyleHelper::toolButtonImages(
        m_pictureFolder, QStringLiteral("Close.png"), QStringLiteral("CloseHover.png"), QStringLiteral("CloseClick.png")));
    m_newHong->setStyleSheet(StyleHelper::toolButtonImages(m_pictureFolder, QStringLiteral("ConFirm.png"), QString(),
                                                           QStringLiteral("ConFirmClick.png"), QString(),
                                                           StyleHelper::colorRule(QStringLiteral("ButtonColor"))));
}

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
        m_label->setText(LanguageTables::text(LanguageSection::MouseOffLine, language, 0));
    m_newHong->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    if (kind == 1)
        m_label->setText(LanguageTables::text(LanguageSection::MouseOffLine, language, 1));
}
