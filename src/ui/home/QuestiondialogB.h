#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice: the same device is plugged in more than once.
class QuestiondialogB : public QDialog
{
    Q_OBJECT

public:
    explicit QuestiondialogB(QWidget* parent = nullptr);
    ~QuestiondialogB() override;

public slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
