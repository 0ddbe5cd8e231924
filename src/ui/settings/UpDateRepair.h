#pragma once

#include "device/FirmwareTransfer.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QFrame;
class QLabel;
class QProgressBar;
class QShortcut;
class QToolButton;

// The firmware update and repair dialog. The settings page keeps one hidden
// instance (g_UpDateRepairDialog); the device list opens it to repair an
// update that was interrupted: the repair check reads the "UpdateFailInfo"
// record, looks at the listed devices and the firmware images and decides
// whether a repair can start.
//
// The repair transfer runs for the device the record names first, then for the
// other of the pair (receiver and mouse). The device library's
// progress reaches the GUI thread before it touches the dialog, the record or
// the log. An image is checked whole before it is sent; a bad one is refused.
class UpDateRepair : public QDialog
{
    Q_OBJECT

public:
    explicit UpDateRepair(QWidget* parent = nullptr);
    ~UpDateRepair() override;

    // Keeps g_UpDateRepairDialog's on-screen state in g_UpdateDialogShown.
    void setVisible(bool visible) override;

    // The dialog's states before it is shown.
    void ShowUpdateMode();
    void ShowIdleMode();
    void ShowRepairMode();
    void ShowProgressMode();
    // Status line text.
    void SetLabelText(const QString& text);
    // Whether the dialog shows a run (its progress or its result).
    bool ShowsRun() const;

    // The top window's repair: skips the record analysis, then starts.
    void StartUpgradeFor(int mode);

    // The repair check; true = a repair can start (the dialog is then in update mode).
    bool RepairCheck();

    // The update dialog's own image search (empty version: every fitting image is taken).
    static bool FindFirmwareFile(uchar type, QString version, QString modelName, uchar customerId, uchar modelId);
    // Its image list: at most one image after a search.
    static QList<QByteArray>& repairImageList();

    // The repair transfer's messages, on the GUI thread.
    static void onTransferMessage(int kind, int value);
    static bool transferInProgress();

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAutoRepair(int result);
    void SlotAutoRepairProgress(int value);
    void SlotAllLanguage(int language);
    void SlotProgress(int value, int status);
    void on_NewHong_2_clicked();
    void SlotRepairCheckUpdate();

private:
    void buildForm();
    void applyLook();
    void bindKeys();
    bool refuse(const QString& text);
    // Closing steps shared by the close cross and the cancel button.
    void leaveAfterRun();
    void startRepair();
    // Sends the first image of the repair list once its failure record is on
    // disk; false (nothing sent) for a bad image. When the transfer does not
    // start, `notSent` ends the run.
    bool sendRepairImage(void (UpDateRepair::*notSent)(FirmwareTransfer::Outcome));
    // The stage's image into the repair list.
    bool findStageImage();
    // How a run ends whose first image, or whose second device's image, was
    // not sent; and a run whose devices are all repaired.
    void firstImageNotSent(FirmwareTransfer::Outcome outcome);
    void secondImageNotSent(FirmwareTransfer::Outcome outcome);
    void repairDone();
    // The progress message on the GUI thread.
    void repairEvent(int kind, int value);
    void repairEnded(bool success);
    // The image type of the stage's device: 211 receiver, 210 mouse.
    int stageType() const;
    UpdateRecords::Failure stageDevice() const;

    QFrame* m_frame = nullptr;
    QToolButton* m_closeButton = nullptr;
    QToolButton* m_newHong = nullptr;
    QToolButton* m_newHong2 = nullptr;
    QLabel* m_toolText = nullptr;
    QLabel* m_toolText2 = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QShortcut* m_returnKey = nullptr;
    QShortcut* m_enterKey = nullptr;
    QShortcut* m_escapeKey = nullptr;
    QString m_pictureFolder;

    // Texts of the current language.
    QString m_startCaption;
    QString m_cancelCaption;
    QString m_closeCaption;
    QString m_doneText;
    QString m_failedText;

    bool m_imageFound = false;
    QString m_receiverModelName;
    QString m_mouseModelName;
    QString m_modelGroup;
    int m_recordType = 0;
    int m_repairKind = 0;
    int m_repairCustomerId = 0;
    int m_repairModelId = 0;
    int m_repairDeviceCount = 1;
    // 0 the first device, 1 the second: the receiver first, unless the record
    // names the mouse.
    int m_stage = 0;
    bool m_mouseFirst = false;
    // Version text of the image sent last.
    QString m_sentVersion;
    bool m_startedFromTopWindow = false;
};
