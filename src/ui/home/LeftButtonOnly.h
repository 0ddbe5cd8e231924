#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice: the left button must keep its function.
class LeftButtonOnly : public QDialog
{
    Q_OBJECT

public:
    explicit LeftButtonOnly(QWidget* parent = nullptr);
    ~LeftButtonOnly() override;

public slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
