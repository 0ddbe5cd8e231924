#pragma once

#include "device/FlashDataMap.h"

#include <QString>
#include <QWidget>

class MotionSync;
class MyConmboBox;
class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QListView;
class QToolButton;
class RippeControl;
class SensorDPI;
class SensorEffect;
class SensorLOD;
class SensorRate;
class StraightLine;
struct DeviceAllInfo;

// The sensor-settings page: the DPI stage editor, the report-rate, lift-off,
// DPI-light and switch frames, the sensor-mode chooser and the full-performance
// mode. Its main work is filling every control from an image that arrives on
// the bus, deciding on the way (from Config.ini and "driver_sensor.h") which
// controls the current model offers. Filling never writes to the device.
class Sensor : public QWidget
{
    Q_OBJECT

public:
    explicit Sensor(QWidget* parent = nullptr);
    ~Sensor() override;

    // Encodes dpi for stage 0..7 and writes the stage's codes and range flags.
    // Returns the DPI those codes mean to the mouse (what the stage must show),
    // or 0 when nothing was written: any other stage, or a value the sensor has
    // no code for.
    static int SetStageDpi(int stage, int dpi);

    // Sensor-mode entries.
    enum SensorMode { Corded = 0, HighPerformance = 1, LowPower = 2 };

    SensorDPI* dpiEditor() const { return m_frameDpi; }
    SensorRate* rateFrame() const { return m_frameRate; }
    SensorLOD* lodFrame() const { return m_frameLOD; }
    SensorEffect* effectFrame() const { return m_frameEffect; }
    RippeControl* rippleFrame() const { return m_frameRipple; }
    StraightLine* straightLineFrame() const { return m_frameStraightLine; }
    MotionSync* motionSyncFrame() const { return m_frameMotionSync; }
    MyConmboBox* modeChooser() const { return m_modelChoose; }
    QListView* modeChooserView() const { return m_modeView; }
    QCheckBox* performanceBox() const { return m_performance; }
    MyConmboBox* performanceDuration() const { return m_performanceOpen; }
    QString dpiMinimumText() const { return m_dpiMinText; }
    QString dpiMaximumText() const { return m_dpiMaxText; }

public slots:
    void on_Performance_toggled(bool checked);
    void SlotUpDataSenSorUISensor(FlashDataMap image);
    void SlotFormReset();
    void SlotUpDataReportRate(int rate);
    void SlotUpDataDPI(int stage);
    void SlotUpDataDPILed(FlashDataMap image);
    void SlotUpDataSenSorUIB(FlashDataMap image);
    void on_ModelChoose_currentIndexChanged(int index);
    void on_LOD_currentIndexChanged(int index);
    void on_Performance_clicked(bool checked);
    void on_PerformanceOpen_currentIndexChanged(int index);
    void SlotAllLanguage(int language);
    void SlotHideModel(int high);

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildForm();
    void applyLook();
    void applyImage(const FlashDataMap& image, bool fullRead);
    void showDpiLight(const FlashDataMap& image);
    void showFullLayout(bool full);
    bool sensorOffersModeChoice() const;
    // Chooser enabled on the stored mode, "LP" out of its list.
    void unlockSensorMode();
    // "LP" shown, selected and locked.
    void lockSensorModeLowPower();

    QString m_dataFolder;
    QString m_dpiMinText;
    QString m_dpiMaxText;
    QString m_pictureFolder;
    QListView* m_modeView = nullptr;
    QString m_supportSensorModeSel;
    QString m_supportLodCal;
    QString m_supportRipple;
    QString m_supportFixLine;
    QString m_supportMotionSync;
    QString m_supportMousepadCal;

    // The form.
    QGridLayout* m_gridLayout = nullptr;
    QFrame* m_senSorPage = nullptr;
    SensorDPI* m_frameDpi = nullptr;
    SensorRate* m_frameRate = nullptr;
    SensorLOD* m_frameLOD = nullptr;
    SensorEffect* m_frameEffect = nullptr;
    RippeControl* m_frameRipple = nullptr;
    StraightLine* m_frameStraightLine = nullptr;
    MotionSync* m_frameMotionSync = nullptr;
    MyConmboBox* m_modelChoose = nullptr;
    QLabel* m_label11 = nullptr;
    QLabel* m_label5 = nullptr;
    QCheckBox* m_performance = nullptr;
    MyConmboBox* m_performanceOpen = nullptr;
    QToolButton* m_titleButton = nullptr;
    QToolButton* m_titleButton2 = nullptr;
    QToolButton* m_titleButton3 = nullptr;
    QToolButton* m_titleButton4 = nullptr;
};
