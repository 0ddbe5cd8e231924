#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Question: delete the selected macro? `confirmed` is true after the confirm
// button and false after the close button (or any other way of closing).
class DeleteConfirm : public QDialog
{
    Q_OBJECT

public:
    explicit DeleteConfirm(QWidget* parent = nullptr);
    ~DeleteConfirm() override;

    bool confirmed = false;

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
