#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QTextEdit;
class QTimer;
class QToolButton;

// The pairing dialog: chooses the receiver to pair, tells the user what to do
// and whether the target can be paired at all (a mouse on its cable cannot).
// Callers construct it, set g_MatchMode, call ResetPairPage(), run it with
// exec() and destroy it.
//
// The pairing traffic with the receiver is not part of this class yet: the
// pairing button shows the start text and starts nothing.
class Match : public QDialog
{
    Q_OBJECT

public:
    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Resets the pairing state, texts and looks and picks the target device.
    void ResetPairPage();

    // The target chosen by ResetPairPage (for tests and callers that log it).
    QString targetPath() const { return m_targetPath; }
    bool targetWired() const { return m_wired != 0; }

public slots:
    void on_MatchButton_clicked();
    void onUSBTimeupDestroy();
    void SlotAllLanguage(int language);
    void WindowClosedSet();

private:
    void buildForm();
    void applyLook();
    void setButtonLook(const QString& picture, bool disabledLook);
    void setButtonText(const QString& text);

    QFrame* m_frame = nullptr;
    QToolButton* m_closeButton = nullptr;
    QToolButton* m_matchButton = nullptr;
    QTextEdit* m_textEdit = nullptr;
    QLabel* m_label = nullptr;
    QToolButton* m_picture = nullptr;
    QToolButton* m_decoration = nullptr;
    QTimer* m_stateTimer = nullptr;

    QString m_pictureFolder;
    QString m_buttonColour;
    QString m_pathAtConstruction;
    QString m_targetPath;
    QString m_vid;
    QString m_pid;
    quint8 m_customerId = 0;
    quint8 m_wired = 0;
    quint8 m_pairable = 0;
    QString m_startText;
    bool m_spaceBound = false;
};
