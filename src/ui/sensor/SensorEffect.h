#pragma once

#include <QFrame>

class MyConmboBox;
class QLabel;
class QSlider;
class QSpinBox;

// DPI indicator light: mode (off, steady, breathing), speed for breathing and
// brightness for steady. Writes bytes 63..66 through the DPI-light writers;
// brightness levels 1..10 are stored as codes 16..255. The setters show device
// values and never write; only the user's changes do.
class SensorEffect : public QFrame
{
    Q_OBJECT

public:
    explicit SensorEffect(QWidget* parent = nullptr);
    ~SensorEffect() override;

    // Stored code of brightness level 1..10; 0 for another level.
    static int brightnessCode(int level);
    // Level of a stored code; the code itself when the table lacks it.
    static int brightnessLevel(int code);

    void setMode(int m);
    void setSpeed(int level);
    void setBrightness(int level);
    // Enables both sliders.
    void setEnabled(bool on);
    void setItemText(int i, const QString& text);
    void setText(const QString& text);
    void setSpeedText(const QString& text);
    void setBrightnessText(const QString& text);

    MyConmboBox* modeChooser() const { return m_model; }
    QSlider* speedSlider() const { return m_speed; }
    QSlider* brightnessSlider() const { return m_light; }

public slots:
    void on_Model_currentIndexChanged(int index);
    void on_SpeedH_valueChanged(int value);
    void on_SpeedH_sliderMoved(int value);
    void on_LightH_valueChanged(int value);
    void on_LightH_sliderMoved(int value);

private:
    void showMode(int mode);
    bool mayWrite() const;

    QLabel* m_label = nullptr;
    MyConmboBox* m_model = nullptr;
    QLabel* m_speedLabel = nullptr;
    QLabel* m_lightLabel = nullptr;
    QSlider* m_speed = nullptr;
    QSlider* m_light = nullptr;
    QFrame* m_speedLine = nullptr;
    QFrame* m_lightLine = nullptr;
    QSpinBox* m_speedNumber = nullptr;
    QSpinBox* m_lightNumber = nullptr;
    QString m_pictureFolder;
    // Set while a setter changes a control.
    bool m_showing = false;
};
