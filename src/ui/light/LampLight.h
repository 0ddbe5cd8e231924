#pragma once

#include "device/FlashDataMap.h"

#include <QList>
#include <QString>
#include <QWidget>

class MyConmboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QSlider;
class QSpinBox;
class QToolButton;
class StopCloseTime;

// The lighting page of the device home page: the light bar's mode and on/off
// state, colour (red, green and blue boxes, fourteen presets, a pick from the
// colour board), brightness and speed, the lights-off-while-moving switch and
// the idle light-off frame. Every change by the user is written to the mouse at
// once; the fills from the bus show the mouse's values and never write.
class LampLight : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPresetCount = 14;
    struct Preset
    {
        const char* name;  // object name of its button
        int red, green, blue;
    };
    static const Preset& preset(int index);

    explicit LampLight(QWidget* parent = nullptr);
    ~LampLight() override;

    StopCloseTime* idleFrame() const { return m_frameClose; }

public slots:
    void on_LightMod_currentIndexChanged(int index);
    void on_RSpinBox_valueChanged(int value);
    void on_GSpinBox_valueChanged(int value);
    void on_BSpinBox_valueChanged(int value);
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_horizontalLight_sliderMoved(int value);
    void on_horizontalLight_valueChanged(int value);
    void on_horizontalSpeed_sliderMoved(int value);
    void on_horizontalSpeed_valueChanged(int value);
    void on_RippeControl_clicked(bool checked);

    // An image from the device link (sliders enabled) or from the wait dialog
    // (sliders disabled until the device link's next image).
    void SlotUpDataLightUILight(FlashDataMap image);
    void SlotUpDataLightUIA(FlashDataMap image);
    void SlotFormResetLight();
    // The idle time as the settings page or a shown image set it, in seconds.
    void SlotLightToFrom(int seconds);
    void SlotAllLanguage(int language);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildForm();
    void applyLook();
    void fill(const FlashDataMap& image, bool slidersEnabled);
    // Shows the controls the mode offers; other indexes change nothing.
    void showMode(int index);
    void showPreview(int red, int green, int blue);
    void colourChanged();
    // Sets the three boxes in order; each real change writes the colour.
    void setColour(int red, int green, int blue);
    void applyPreset(int index);
    void step(QSpinBox* box, int delta);
    // The device check of the buttons and the pick: false (after the offline
    // notice) when the action must not go on.
    bool deviceAccepts() const;
    bool mayWrite() const;
    // The colour of the board's own rendering at a point of the page; false off
    // the board, on its transparent corners, or while the board is hidden.
    bool boardColourAt(const QPoint& pagePos, QColor* colour) const;

    QString m_pictureFolder;

    QGridLayout* m_gridLayout = nullptr;
    QFrame* m_lightPage = nullptr;
    MyConmboBox* m_lightMod = nullptr;
    QLabel* m_label = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_label7 = nullptr;
    QLabel* m_label8 = nullptr;
    QLabel* m_label10 = nullptr;
    QLabel* m_label11 = nullptr;
    QLabel* m_label12 = nullptr;
    QLabel* m_label13 = nullptr;
    QLabel* m_preview = nullptr;
    QSlider* m_brightness = nullptr;
    QSlider* m_speed = nullptr;
    QSpinBox* m_brightnessNumber = nullptr;
    QSpinBox* m_speedNumber = nullptr;
    QFrame* m_line = nullptr;
    QFrame* m_line2 = nullptr;
    QToolButton* m_rippeControl = nullptr;
    StopCloseTime* m_frameClose = nullptr;
    QSpinBox* m_red = nullptr;
    QSpinBox* m_green = nullptr;
    QSpinBox* m_blue = nullptr;
    QToolButton* m_reduceR = nullptr;
    QToolButton* m_reduceG = nullptr;
    QToolButton* m_reduceB = nullptr;
    QToolButton* m_addR = nullptr;
    QToolButton* m_addG = nullptr;
    QToolButton* m_addB = nullptr;
    QList<QToolButton*> m_presets;
    // Shown only in the modes with a colour of their own.
    QList<QWidget*> m_colourGroup;
};
