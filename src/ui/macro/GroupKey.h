#pragma once

#include "platform/KeyHook.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class MyLineEdit;
class NoticeForm;
class QCheckBox;

// Asks for a key combination of at most three keys: the modifier check boxes
// and the keys pressed while the dialog is open. Read `accepted` and, when it
// is true, `keyText` ("Shift+Ctrl+A") after exec().
//
// Keys are captured from the moment of construction until the dialog is
// answered, closed by any road or destroyed.
class GroupKey : public QDialog
{
    Q_OBJECT

public:
    explicit GroupKey(QWidget* parent = nullptr);
    ~GroupKey() override;

    // True only after OK with at most three keys; `keyText` is set then only.
    bool accepted = false;
    QString keyText;

    // Monotonic milliseconds for the two-second rule; tests drive their own.
    void setClock(std::function<qint64()> nowMs);

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_2_clicked();
    void on_NewHong_clicked();
    // One key event of the capture; only presses count.
    void UpdateCapslockTip(int virtualKey, bool down, bool repeat);
    void on_lineEdit_textEdited(QString text);
    void SlotAllLanguage(int language);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildForm();
    void stopCapture();

    KeyHook m_hook;
    int plusCount = 0;
    int lastKey = -1;
    bool firstKey = true;
    qint64 keyTimerStart = 0;  // when the current two seconds began
    std::function<qint64()> m_now;
    std::unique_ptr<NoticeForm> m_form;
    MyLineEdit* m_lineEdit = nullptr;
    QCheckBox* m_modifiers[4] = {};  // Shift, Ctrl, Alt, Win
};
