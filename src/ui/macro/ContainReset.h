#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class NoticeForm;

// Yes/no question, by default whether to restore the device's default
// settings; read `accepted` after exec().
class ContainReset : public QDialog
{
    Q_OBJECT

public:
    explicit ContainReset(QWidget* parent = nullptr);
    ~ContainReset() override;

    // True only after OK (or Return); Cancel, the close cross and Escape leave it false.
    bool accepted = false;

    void SetMessage(QString text);

public slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
