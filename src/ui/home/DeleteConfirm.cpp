#include "ui/home/DeleteConfirm.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/common/StyleHelper.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

DeleteConfirm::DeleteConfirm(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/WarningDialog"));
    setWindowFlags(StyleHelper::noticeFlags());
    StyleHelper::activateWhenShown(this);
    applyLook();
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

DeleteConfirm::~DeleteConfirm() = default;

void DeleteConfirm::buildForm()
{
    setObjectName(QStringLiteral("DeleteConfirm"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(300, 140);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("DeleteConfirmA"));
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
    m_label->setText(QStringLiteral("Confirm Delete"));

    m_newHong = new QToolButton(m_frame);
    m_newHong->setObjectName(QStringLiteral("NewHong"));
    m_newHong->setGeometry(105, 102, 90, 24);
    m_newHong->setFont(font);
    m_newHong->setText(QString::fromUtf8("确定"));
}

void DeleteConfirm::applyLook()
{
    StyleHelper::applyTextColor(m_label, QStringLiteral("LabelColor"));
    m_frame->setStyleSheet(
        StyleHelper::frameBackground(m_frame->objectName(), m_pictureFolder, QStringLiteral("BackGround.png")));
    m_closeButton->setStyleSheet(StyleHelper::toolButtonImages(
        m_pictureFolder, QStringLiteral("Close.png"), QStringLiteral("CloseHover.png"), QStringLiteral("CloseClick.png")));
    m_newHong->setStyleSheet(StyleHelper::toolButtonImages(m_pictureFolder, QStringLiteral("Confirm.png"), QString(),
                                                           QStringLiteral("ConfirmClick.png"), QString(),
                                                           StyleHelper::colorRule(QStringLiteral("ButtonColor"))));
}

void DeleteConfirm::on_NewHong_clicked()
{
    confirmed = true;
    close();
}

void DeleteConfirm::on_CloseButton_clicked()
{
    confirmed = false;
    close();
}

void DeleteConfirm::SlotAllLanguage(int language)
{
    m_label->setText(LanguageTables::text(LanguageSection::DeleteConfirm, language, 0));
    m_newHong->setText(LanguageTables::text(LanguageSection::Question, language, 2));
}
