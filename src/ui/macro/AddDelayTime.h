#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;
class QSpinBox;

// Asks for a delay of 10 to 65535 ms (10 at first). Read `accepted` and, when
// it is true, `delayTime` after exec().
class AddDelayTime : public QDialog
{
    Q_OBJECT

public:
    explicit AddDelayTime(QWidget* parent = nullptr);
    ~AddDelayTime() override;

    bool accepted = false;
    int delayTime = 0;

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
    QSpinBox* m_spinBox = nullptr;
};
