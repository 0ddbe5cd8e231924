#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Warning shown after a very short debounce time was chosen; carries no answer.
class LessThree : public QDialog
{
    Q_OBJECT

public:
    explicit LessThree(QWidget* parent = nullptr);
    ~LessThree() override;

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
