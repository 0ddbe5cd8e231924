#pragma once

#include "device/DeviceAllInfo.h"

#include <QString>
#include <QVector>
#include <QWidget>

class MyConmboBox;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;

// The device list: the program's start page. It lists the recognised devices
// as picture buttons, three to a page, with badges for the connection state,
// kind and report rate, and opens the one the user clicks. It also carries the
// language choice, the window's minimise and close buttons and the repair
// button shown while an interrupted firmware update is recorded.
//
// Exactly one instance exists (g_DialogChange). The device library's change
// calls reach it through OnUsbChanged(), which hands them to the GUI thread.
class DialogChange : public QWidget
{
    Q_OBJECT

public:
    explicit DialogChange(QWidget* parent = nullptr);
    ~DialogChange() override;

    // The callback registered with StartUsbChanged(…, 600). Called on a library
    // thread; the scan and the rebuild run on the GUI thread.
    static void OnUsbChanged();
    // The scan and rebuild themselves (GUI thread). Postponed while a device
    // button's click is still running, and run once that click has returned.
    static void HandleUsbChanged();

    // Rebuilds the device pages from g_DeviceList (after a scan).
    static void BuildDevicePage();
    // Reads device i again and restyles its button; an index outside the list
    // changes nothing. Always true.
    static bool UpdateDeviceButtons(int i);
    // Re-reads the online state and receiver address of device i.
    static bool RefreshDevice(int i);

    // True once the device list has been scanned and built for the first time.
    bool firstScanDone() const { return m_firstScanDone; }

    // Texts of the current language kept for the device pages.
    static QString offlineTooltip();

public slots:
    void SlotAllLanguage(int language);
    void SlotSameLanguageA(int language);
    void SlotUpDateButton(bool hide);
    void SlotEnterKey();
    void on_MinButton_clicked();
    void on_CloseButton_clicked();
    void on_Repair_clicked();
    void on_comboBox_activated(int index);
    void on_LeftButton_clicked();
    void on_RightButton_clicked();
    void slotButtonClicked();
    void on_CloseButton_2_clicked();
    void on_NewHong_clicked();
    void on_NoApear_clicked(bool checked);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildForm();
    void retranslateForm();
    void applyLook();
    void showRepairState(bool repairShown);
    // True when a scan must wait for this page's first frame (the scan is then
    // run once that frame is painted).
    bool scanWaitsForFirstFrame();
    void endFirstFrameWait();
    // The pairing check of a receiver entry; true = the click goes on and opens it.
    bool runPairingCheck(const DeviceAllInfo& entry);
    void runPairing(const DeviceAllInfo& entry);
    void openDevice(const DeviceAllInfo& entry);
    void placeCentred(QWidget* dialog, int dx = 0) const;

    int m_deviceTotal = 0;
    bool m_firstFrameWaitOver = false;
    bool m_scanAfterFirstFrame = false;
    bool m_firstScanDone = false;

    QFrame* m_frame = nullptr;
    QToolButton* m_minButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    MyConmboBox* m_comboBox = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QToolButton* m_leftButton = nullptr;
    QToolButton* m_rightButton = nullptr;
    QPushButton* m_repair = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    QFrame* m_findVer = nullptr;
    QToolButton* m_closeButton2 = nullptr;
    QToolButton* m_newHong = nullptr;
    QLabel* m_findVerLabel = nullptr;
    QCheckBox* m_noApear = nullptr;
};
