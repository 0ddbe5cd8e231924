#pragma once

#include <QString>
#include <QWidget>

class Buttoninterface;
class FormSetting;
class LampLight;
class Macro;
class QButtonGroup;
class QFrame;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QToolButton;
class Sensor;
class UpDataParam;

// The device home page: the top window's second page, shown while a device is
// open. It owns the five configuration pages and switches between them with
// five picture buttons, shows the battery of a wireless mouse, runs the wait
// dialog after a connect, and offers the back arrow (leave the device) and the
// window's own minimise and close buttons. One instance, never deleted.
class Dialog : public QWidget
{
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

    // The wait dialog kept for the whole run.
    UpDataParam* waitDialog() const { return m_upDataParam; }

public slots:
    void on_ButtonMain_clicked();
    void on_SensorButton_clicked();
    void on_MacroButton_clicked();
    void on_LightsButton_clicked();
    void on_FormSetting_clicked();
    void on_UpArrow_clicked();
    void on_CloseButton_clicked();
    void WindowMin();
    void WindowClosed();

    void SlotSecondDialog();
    void SlotUpDataParam(int refresh);
    void SlotStartRecord(int state);
    void SlotMouseIndex(int index);
    void SlotBattery(bool charging, int level, bool showPercent);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void buildForm();
    void retranslateForm();
    void applyLook();
    void setPageButtonsEnabled(bool enabled);
    // An empty battery outline, no charging symbol and no value text.
    void showNoBatteryLevel();
    // Stores the working image in its device's cache when it is that device's.
    static void saveWorkingImage();

    QButtonGroup* m_groupA = nullptr;
    QButtonGroup* m_groupB = nullptr;
    Buttoninterface* m_buttonPage = nullptr;
    LampLight* m_lightPage = nullptr;
    Macro* m_macroPage = nullptr;
    Sensor* m_sensorPage = nullptr;
    FormSetting* m_settingsPage = nullptr;
    UpDataParam* m_upDataParam = nullptr;
    QString m_pictureFolder;

    QFrame* m_frame2 = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    QToolButton* m_buttonMain = nullptr;
    QToolButton* m_sensorButton = nullptr;
    QToolButton* m_macroButton = nullptr;
    QToolButton* m_lightsButton = nullptr;
    QToolButton* m_formSettingButton = nullptr;
    QFrame* m_line6 = nullptr;
    QToolButton* m_upArrow = nullptr;
    QToolButton* m_minButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QLabel* m_batteryOutline = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_chargeLabel = nullptr;
    QLabel* m_valueLabel = nullptr;
    QLabel* m_label3 = nullptr;
};
