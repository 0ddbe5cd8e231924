#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice: a choice the user made could not be written to the user settings
// file (a data folder that cannot be written), so it will not survive a
// restart. Closed with the cross in its corner.
class SettingsNotSaved : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsNotSaved(QWidget* parent = nullptr);
    ~SettingsNotSaved() override;

    // Shows the notice over `over`'s window when `saved` is false.
    static void tellIfNotSaved(bool saved, QWidget* over);

public slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
