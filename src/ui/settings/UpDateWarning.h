#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class NoticeForm;

// Notice with a message chosen by the caller (firmware-update warnings).
class UpDateWarning : public QDialog
{
    Q_OBJECT

public:
    explicit UpDateWarning(QWidget* parent = nullptr);
    ~UpDateWarning() override;

    void SetMessage(QString text);

public slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);
    void on_NewHong_clicked();

private:
    std::unique_ptr<NoticeForm> m_form;
};
