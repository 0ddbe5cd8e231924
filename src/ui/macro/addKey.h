#pragma once

#include "platform/KeyHook.h"

#include <QDialog>
#include <QString>

#include <memory>

class NoticeForm;
class QLineEdit;

// Asks for one key: the name of the last key pressed or released while the
// dialog is open (a key without a name gives the empty name). Read `accepted`
// and, when it is true, `keyName` after exec(); exec() also returns Accepted
// after OK.
//
// Keys are captured from the moment of construction until the dialog is
// answered, closed by any road or destroyed.
class addKey : public QDialog
{
    Q_OBJECT

public:
    explicit addKey(QWidget* parent = nullptr);
    ~addKey() override;

    bool accepted = false;
    QString keyName;

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void UpdateCapslockTip(int virtualKey, bool down, bool repeat);
    void SlotAllLanguage(int language);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    KeyHook m_hook;
    std::unique_ptr<NoticeForm> m_form;
    QLineEdit* m_lineEdit = nullptr;
};
