#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QTextEdit;
class QTimer;
class QToolButton;

// The pairing dialog: chooses the receiver to pair, tells the user what to do,
// asks the receiver to accept a mouse of the configured customer id and shows
// the result. Callers construct it, set g_MatchMode, call ResetPairPage(), run it
// with exec(), destroy it and then register again the device-change and report
// callbacks they need: while pairing, the dialog owns the report link, and its
// close registers the device list's device-change callback.
//
// Pairing that gets no result fails after a time limit; while it runs the
// dialog cannot be closed (close button and Escape are ignored); every way of
// closing gives the device thread its link permission back.
class Match : public QDialog
{
    Q_OBJECT

public:
    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Resets the pairing state, texts and looks and picks the target device.
    void ResetPairPage();

    // The report callback while pairing; runs on the library's thread. Touches
    // only the shared flags and hands the result to the GUI thread.
    static void OnPairReport(unsigned char* header, int headerLength, unsigned char* data,
                             unsigned int dataLength);

    // Pair status shared by every pairing dialog: 0 idle, 1 pairing, 2 paired, 3 failed.
    static int pairStatus();
    static bool pairingRunning();

    // The target chosen by ResetPairPage (for tests and callers that log it).
    QString targetPath() const { return m_targetPath; }
    bool targetWired() const { return m_wired != 0; }

    // How long a pairing may wait for a result before it fails (before scaling).
    static constexpr int kPairTimeLimitMs = 60000;

signals:
    void SigTimerStop();
    void SigButtonEnable(int result);

public slots:
    void on_MatchButton_clicked();
    void onPairTimeupDestroy();
    void onUSBTimeupDestroy();
    void onTextTimeupDestroy();
    void SlotStopTimer();
    void SlotButtonenable(int result);
    void SlotAllLanguage(int language);
    void WindowClosedSet();

    // Escape and the window's close end up here: ignored while pairing runs,
    // otherwise the close steps.
    void reject() override;

private:
    void buildForm();
    void applyLook();
    void setButtonLook(const QString& picture, bool disabledLook);
    void setButtonText(const QString& text);
    void EnterPair();
    void showFailed();
    void stopPairingTimers();
    static void giveLinkBack();
    void onTimeLimit();

    QFrame* m_frame = nullptr;
    QToolButton* m_closeButton = nullptr;
    QToolButton* m_matchButton = nullptr;
    QTextEdit* m_textEdit = nullptr;
    QLabel* m_label = nullptr;
    QToolButton* m_picture = nullptr;
    QToolButton* m_decoration = nullptr;
    QTimer* m_pollTimer = nullptr;
    QTimer* m_stateTimer = nullptr;
    QTimer* m_dotsTimer = nullptr;
    QTimer* m_limitTimer = nullptr;

    QString m_pictureFolder;
    QString m_buttonColour;
    QString m_pathAtConstruction;
    QString m_targetPath;
    QByteArray m_targetPathBytes;  // Latin-1, kept while the library holds the link
    QString m_vid;
    QString m_pid;
    quint8 m_customerId = 0;
    quint8 m_wired = 0;
    quint8 m_pairable = 0;
    QString m_startText;
    QString m_pairingText;
    QString m_failedText;
    QString m_pairedText;
    bool m_spaceBound = false;
};
