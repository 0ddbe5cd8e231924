#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;
class QLabel;
class QSpinBox;

// Asks for a button's rapid fire: the interval (10 to 255) and the number of
// repeats (0 to 3; 0 fires while the button is held). Preset with SetInterval
// and SetCount; read `accepted` and, when it is true, `interval` and `count`
// after exec().
class FireKey : public QDialog
{
    Q_OBJECT

public:
    explicit FireKey(QWidget* parent = nullptr);
    ~FireKey() override;

    bool accepted = false;
    int interval = 10;
    int count = 3;

    // Values outside the ranges are clamped to them.
    void SetCount(int value);
    void SetInterval(int value);

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_2_clicked();
    void on_NewHong_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
    QLabel* m_countLabel = nullptr;
    QLabel* m_intervalLabel = nullptr;
    QSpinBox* m_count = nullptr;
    QSpinBox* m_time = nullptr;
};
