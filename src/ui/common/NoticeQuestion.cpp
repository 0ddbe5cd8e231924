#include "ui/common/NoticeQuestion.h"

#include "ui/common/NoticeForm.h"

NoticeQuestion::NoticeQuestion(QWidget* parent, const QString& dialogName, const QString& frameName,
                               const QString& defaultMessage)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, dialogName, frameName, defaultMessage,
                                          QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")},
                                          QStringList{QString::fromUtf8("确定"), QString::fromUtf8("取消")}))
{
}

NoticeQuestion::~NoticeQuestion() = default;

void NoticeQuestion::on_CloseButton_clicked()
{
    accepted = false;
    close();
}

void NoticeQuestion::on_OK_clicked()
{
    accepted = true;
    close();
}

void NoticeQuestion::on_Cancel_clicked()
{
    accepted = false;
    close();
}
