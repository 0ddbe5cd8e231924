#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Question whether to pair mouse and receiver again; read `accepted` after exec().
class RePair : public QDialog
{
    Q_OBJECT

public:
    explicit RePair(QWidget* parent = nullptr);
    ~RePair() override;

    // True only after OK; Cancel, the close cross and Escape leave it false.
    bool accepted = false;

public slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
