#pragma once

#include "device/DeviceAllInfo.h"
#include "device/FirmwareTransfer.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

class MyConmboBox;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QTextEdit;
class QTimer;
class QToolButton;
class StopCloseTime;
class UpDateWarning;
struct DongleRGB;

// The settings page of the device home page: interface language, firmware
// versions of receiver and mouse, pairing, start with the desktop and the
// receiver's own settings. Its constructor creates the program's single update
// and repair dialog (g_UpDateRepairDialog).
//
// The receiver's sections show by model and connection: long range for a model
// that has it on any receiver, the receiver light for a model that has it on a
// 4K receiver. Receiver settings go straight to the receiver; nothing of them is
// kept in the working image.
class FormSetting : public QWidget
{
    Q_OBJECT

public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

    // The firmware update as a person starts it: a click on the update button
    // and, when the dialog offers it, on its Start. True when a run started; the
    // dialog then shows its progress and, at the run's end, one final status.
    // The run is over once UpdateActive() is false.
    bool StartUpdate();
    bool UpdateActive() const;
    // The resume and readiness check; false leaves the reason in the dialog.
    bool ChechIsUpDate();

    // The update state of each device: 0 idle, 1 running, 2 done, 3 failed, 4 no image.
    static int receiverUpdateState();
    static int mouseUpdateState();

    // The device library's transfer messages, on the GUI thread.
    static void onTransferMessage(int kind, int value);

public slots:
    void on_comboBox_activated(int index);
    void SlotLanguageSameB(int language);
    void SlotAllLanguage(int language);
    void SlotMouseIndex(int index);
    void SetVer(int mode);
    void SlotLabelTextB(QString version, QString flag);
    void SetVerText();
    void SlotLabelText(int index, QString text);
    void SlotCheckUpdate();
    void on_Receive_2_clicked();
    void SlotContinue(int value);
    void SlotScroolChange(int value);

    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotRGBValue(DongleRGB* buffer);
    void SlotLongRangeMode(bool on);
    void SlotSelectMouseInfo(DeviceAllInfo info);
    // The idle light-off time of the image the button page shows, in seconds.
    void SlotLightToFrom(int seconds);

    void on_checkBox_clicked(bool on);
    void on_checkBox_2_clicked(bool on);
    void on_checkBox_2_toggled(bool on);
    void on_ReUntil_toggled(bool on);
    void on_ReUntil_2_toggled(bool on);
    void on_ReUntil_3_toggled(bool on);
    void on_pushButton_2_clicked();
    void on_pushButton_clicked();
    void on_pushButton_3_clicked();

    void onDongleCheckTimer();
    void onMouseCheckTimer();

protected:
    // Presses on the page's background stay here (no window dragging).
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildForm();
    void applyLook();
    void applyBaseLayout();
    void applyTallLayout();
    void setLongRangeVisible(bool visible);
    // Sets checkBox_2 without the write its toggle makes.
    void showLongRange(bool on);
    void setReceiverLightVisible(bool visible);
    // Item `index` of the opened model's "Adveanced" list; -1 when the model
    // lacks the feature or the list has no such item.
    static int advancedItem(int index);
    static bool receiverLightApplies();
    void lightModeToggled(int mode, bool on);
    static bool updateCanRun();
    void setUpdateLook(bool available);
    void setUpdateCaption(const QString& caption);
    void placeVersionRows();
    void formVersionTexts(QString* receiverText, QString* mouseText, int* receiverKind) const;

    // The update run (see FormSetting.cpp).
    void on_Start();
    void on_Receive_clicked();
    void on_Mouse_clicked();
    void startReceiverTimer();
    void startDeviceTimer(bool receiver);
    void UpdateStep(int type, const QString& version);
    bool startTransfer(int type);
    void transferOutcome(int type, FirmwareTransfer::Outcome outcome);
    // The devices the image would go to now, counted as the run's step counts them.
    int targetCount(int type, const QByteArray& image) const;
    void refreshButtonLook(int type);
    void showCountProblem(int type, int candidates);
    void finishIfIdle();
    bool refuse(int textPosition);
    bool refuseWith(const QString& text);
    void placeOverPage(QWidget* dialog) const;
    void upgradeEvent(int kind, int value);
    QString formText(int position) const;

    QString m_pictureFolder;
    QString m_labelColour;
    QString m_buttonColour;
    QPoint m_labelAnchor;

    QFrame* m_frame = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_contents = nullptr;
    MyConmboBox* m_comboBox = nullptr;
    QLabel* m_label = nullptr;     // version line
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;    // receiver version
    QLabel* m_label6 = nullptr;
    QLabel* m_label7 = nullptr;    // mouse version
    QLabel* m_label8 = nullptr;
    QLabel* m_label9 = nullptr;
    QLabel* m_label10 = nullptr;
    QLabel* m_label11 = nullptr;
    QLabel* m_label14 = nullptr;
    QToolButton* m_receiverHint = nullptr;  // toolButton_2
    QToolButton* m_mouseHint = nullptr;     // toolButton_3
    QPushButton* m_receive2 = nullptr;
    QTextEdit* m_newLabel = nullptr;
    QPushButton* m_pairButton = nullptr;    // pushButton_2
    QCheckBox* m_autoStart = nullptr;       // checkBox
    QToolButton* m_mouseIcon = nullptr;     // toolButton
    QPushButton* m_mouseSettings = nullptr; // pushButton
    QCheckBox* m_longRange = nullptr;       // checkBox_2
    QTextEdit* m_longRangeText = nullptr;   // textEdit
    QCheckBox* m_reUntil[3] = {};
    QTextEdit* m_lightTexts[3] = {};
    QToolButton* m_titleMarks[6] = {};      // TitleButton_2 .. TitleButton_7
    QPushButton* m_companyName = nullptr;   // pushButton_4
    QPushButton* m_webAddress = nullptr;    // pushButton_3
    QButtonGroup* m_lightGroup = nullptr;
    UpDateWarning* m_warning = nullptr;
    QFrame* m_lines[5] = {};                // line .. line_5
    QToolButton* m_idleMark = nullptr;
    QLabel* m_label12 = nullptr;            // idle light-off title
    QLabel* m_label13 = nullptr;            // idle light-off description
    StopCloseTime* m_idle = nullptr;
    QTimer* m_dongleCheckTimer = nullptr;
    QTimer* m_mouseCheckTimer = nullptr;

    // Texts of the current language that the update reads.
    QString m_updateCaption;   // 7
    QString m_upToDateCaption; // 18

    int m_receiverHintState = 0;
    int m_mouseHintState = 0;

    // The update run.
    int m_phase = 0;
    bool m_receiverNoImage = false;
    bool m_mouseNoImage = false;
    bool m_receiverRunning = false;
    bool m_mouseRunning = false;
    bool m_warningNotice = false;
    bool m_mouseBootExpected = false;
    // The record names this pair's mouse: the mouse goes first, under it.
    bool m_mouseFirst = false;
    // The receiver has an image to follow the mouse with.
    bool m_receiverFollows = false;
    bool m_checkPassed = false;
    int m_bootCounts[4] = {};  // receiver kinds 1, 2, 4, 8
    QStringList m_receiverPaths;
    QString m_modelGroup;
    QString m_mouseModelName;
    QString m_receiverModelName;
    // Each device runs at most once per run, so chaining cannot loop.
    bool m_receiverTried = false;
    bool m_mouseTried = false;
    // The run has sent its final status to the dialog.
    bool m_finalSent = true;
    // Why the run's last step did not start a transfer (shown at its end).
    QString m_endText;
};

// Config.ini "Option"/"Transition", read by the settings page.
extern int g_Transition;
