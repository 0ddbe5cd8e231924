#include "ui/common/NoticeForm.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "ui/common/StyleHelper.h"

#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 140;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 24;
constexpr int kButtonY = 102;
constexpr int kButtonGap = 20;
}

NoticeForm::NoticeForm(QDialog* dialog, const QString& dialogName, const QString& frameName,
                       const QString& defaultMessage, const QStringList& buttonNames,
                       const QStringList& defaultButtonTexts, int labelPointSize)
{
    dialog->setObjectName(dialogName);
    dialog->setWindowTitle(QStringLiteral("Dialog"));
    dialog->setFixedSize(kWidth, kHeight);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);
    QFont labelFont = font;
    labelFont.setPointSize(labelPointSize);

    frame = new QFrame(dialog);
    frame->setObjectName(frameName);
    frame->setGeometry(0, 0, kWidth, kHeight);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);

    closeButton = new QToolButton(frame);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    closeButton->setGeometry(272, 8, 20, 20);
    closeButton->setAutoRaise(true);

    label = new QLabel(frame);
    label->setObjectName(QStringLiteral("label"));
    // Without buttons the message has the body of the notice to itself.
    if (buttonNames.isEmpty())
        label->setGeometry(15, 35, 270, 80);
    else
        label->setGeometry(15, 30, 270, 66);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFont(labelFont);
    label->setText(defaultMessage);
    // A form may stretch the message up into the top-right corner; the cross
    // stays above it, or the message would take its clicks.
    closeButton->raise();

    const int count = buttonNames.size();
    const int total = count * kButtonWidth + (count - 1) * kButtonGap;
    int x = (kWidth - total) / 2;
    for (int i = 0; i < count; ++i) {
        auto* button = new QToolButton(frame);
        button->setObjectName(buttonNames.at(i));
        button->setGeometry(x, kButtonY, kButtonWidth, kButtonHeight);
        button->setAutoRaise(true);
        button->setFont(font);
        button->setText(defaultButtonTexts.value(i));
        buttons.append(button);
        x += kButtonWidth + kButtonGap;
    }

    pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/WarningDialog"));
    dialog->setWindowFlags(StyleHelper::noticeFlags());
    // Return and Escape answer these dialogs; they need the keyboard when shown.
    StyleHelper::activateWhenShown(dialog);

    StyleHelper::applyTextColor(label, QStringLiteral("LabelColor"));
    setButtonPictures(QStringLiteral("Confirm.png"), QStringLiteral("ConfirmClick.png"));
    closeButton->setStyleSheet(
        QStringLiteral("QToolButton{border:none;background:url(%1Close.png) center no-repeat;}"
                       "QToolButton:hover{background:url(%1CloseHover.png) center no-repeat;}"
                       "QToolButton:pressed{background:url(%1CloseClick.png) center no-repeat;}")
            .arg(pictureFolder));
    frame->setStyleSheet(QStringLiteral("QFrame#%1{border:none;background:url(%2BackGround.png) center no-repeat;}")
                             .arg(frameName, pictureFolder));
}

void NoticeForm::setButtonPictures(const QString& normal, const QString& pressed)
{
    const QString sheet = StyleHelper::toolButtonImages(pictureFolder, normal, QString(), pressed, QString(),
                                                        StyleHelper::colorRule(QStringLiteral("ButtonColor")));
    for (QToolButton* button : buttons)
        button->setStyleSheet(sheet);
}

void NoticeForm::connectDialog(QDialog* dialog)
{
    QMetaObject::connectSlotsByName(dialog);
    QObject::connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), dialog, SLOT(SlotAllLanguage(int)));
    QMetaObject::invokeMethod(dialog, "SlotAllLanguage", Qt::DirectConnection, Q_ARG(int, g_LanguageIndex));
}

void NoticeForm::resize(QDialog* dialog, int width, int height)
{
    dialog->setFixedSize(width, height);
    frame->setGeometry(0, 0, width, height);
    frame->setStyleSheet(StyleHelper::frameBackground(frame->objectName(), pictureFolder, QStringLiteral("BackGround.png")));
    closeButton->move(width - (kWidth - closeButton->x()), closeButton->y());
    const int count = buttons.size();
    const int total = count * kButtonWidth + (count - 1) * kButtonGap;
    int x = (width - total) / 2;
    for (QToolButton* button : buttons) {
        button->move(x, height - (kHeight - kButtonY));
        x += kButtonWidth + kButtonGap;
    }
}

QString NoticeForm::fieldSheet(const QString& widgetClass)
{
    return QStringLiteral("%1{background-color:rgb(21,23,28);border:1px solid rgb(44,50,61);"
                          "border-radius:3px;%2}%1:focus{border-color:rgb(39,194,160);}")
        .arg(widgetClass, StyleHelper::colorRule(QStringLiteral("LinEditColor")));
}
