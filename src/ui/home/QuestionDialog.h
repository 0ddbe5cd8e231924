#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class NoticeForm;
class QLineEdit;

// Asks for the name of a new macro (SetMode(0)) or a new name for one (SetMode(1)).
// After exec(), `answer` holds the confirmed name, or is empty when the user
// cancelled or closed the dialog. The name becomes a file name and goes into the
// device's 30-byte name field, so what can be entered is restricted:
// refused punctuation keys, no spaces once one is typed at the end, no shifted
// characters, no path separators or control characters, at most 30 bytes.
class QuestionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QuestionDialog(QWidget* parent = nullptr);
    ~QuestionDialog() override;

    QString answer;

    void SetMode(int mode);

    // Longest name in the device's size limit.
    static constexpr int kMaxNameBytes = 30;
    // The name rules applied after each edit: path separators and control
    // characters dropped, every space dropped when the text ends in one, then
    // cut to the longest beginning of whole characters within kMaxNameBytes.
    static QString cleanName(const QString& edited);
    // Whether a key text / an input-method commit text is refused as a whole.
    static bool isRefusedKeyText(const QString& text);
    static bool isRefusedInputMethodText(const QString& text);

public slots:
    void WindowClosedLan();
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_lineEdit_textEdited(const QString& text);
    void SlotAllLanguage(int language);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    std::unique_ptr<NoticeForm> m_form;
    QLineEdit* m_lineEdit = nullptr;
    QString m_newMacroPrompt;
    QString m_renamePrompt;
};
