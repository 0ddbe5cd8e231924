#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class NoticeForm;

// A notice that asks yes or no: OK and Cancel under the message and the close
// cross in the corner, each of which closes it. Read `accepted` after exec().
class NoticeQuestion : public QDialog
{
    Q_OBJECT

public:
    ~NoticeQuestion() override;

    // True only after OK; Cancel, the close cross and Escape leave it false.
    bool accepted = false;

public slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();

protected:
    // The subclass connects its texts with NoticeForm::connectDialog().
    NoticeQuestion(QWidget* parent, const QString& dialogName, const QString& frameName,
                   const QString& defaultMessage);

    NoticeForm& form() const { return *m_form; }

private:
    std::unique_ptr<NoticeForm> m_form;
};
