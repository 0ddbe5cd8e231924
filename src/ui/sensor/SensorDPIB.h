#pragma once

#include <QFrame>
#include <QString>

class MyConmboBox;
class MySlider;
class QButtonGroup;
class QCheckBox;
class QColor;
class QColorDialog;
class QLabel;
class QSpinBox;
class QToolButton;

// A DPI stage editor with one row per stage: a stage check box, a colour
// swatch, a slider and a read-only value box, for up to eight stages, plus the
// stage count. Every user action goes to the mouse at once through the
// one-field writers; the editor keeps no copy of the image and reads the
// working image only to swap two stages.
//
// A host fills it through the operations below; none of them writes to the
// mouse, and while the sensor page fills (g_SensorPageFilling) the editor
// writes nothing at all. It acts only on a user's choice.
class SensorDPIB : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kStageCount = 8;

    explicit SensorDPIB(QWidget* parent = nullptr);
    ~SensorDPIB() override;

    // ---- Operations for a host (none writes to the device) ----
    void ClearStageCountItems();
    void InsertStageCountItem(int index, const QString& text);
    void SetTitleText(const QString& text);
    void BlockSliderSignals(bool block);
    void SetSlidersEnabled(bool enabled);
    void SetSliderMaximum(int value);
    void SetSliderMinimum(int value);
    // The text as a decimal number (0 when it is none) on the stage's slider,
    // then its value box.
    void SetStageValue(int stage, const QString& text);
    // "#rrggbb"; the swatch keeps its look until it is refreshed.
    void SetStageColor(int stage, const QString& color);
    void SetCurrentStage(int stage);
    void SetStageCount(int count);
    // Checks the stage's box (which writes the active stage when it was off and
    // the page is not filling); offline with the page ready, only the notice.
    void SelectStage(int stage);
    // Shows the rows of stages 0..index and hides the others.
    void ShowStageRows(int index);
    void RefreshStageSwatch(int stage);
    void RefreshAllSwatches();
    // Paints the swatches in a fixed palette; the stage colours stay.
    void ApplySwatchPalette();

    // ---- State, for a host and for tests ----
    int currentStage() const { return m_currentStage; }
    int stageCount() const { return m_stageCount; }
    QString stageColor(int stage) const;
    QLabel* titleLabel() const { return m_title; }
    MyConmboBox* stageCountBox() const { return m_chooseEvent; }
    QCheckBox* stageCheck(int stage) const;
    QToolButton* swatch(int stage) const;
    MySlider* slider(int stage) const;
    QSpinBox* valueBox(int stage) const;
    QColorDialog* colorDialog() const { return m_colorDialog; }

public slots:
    void on_ChooseEvent_currentIndexChanged(int index);
    void SetColor(const QColor& color);

private:
    struct Row
    {
        QCheckBox* check = nullptr;
        QToolButton* swatch = nullptr;
        MySlider* slider = nullptr;
        QSpinBox* value = nullptr;
    };

    static bool validStage(int stage) { return stage >= 0 && stage < kStageCount; }

    void buildForm();
    void applyLook();
    void onSliderValueChanged(int stage, int value);
    void onStageToggled(int stage, bool on);
    void onSwatchClicked(int stage);
    void exchangeStages(int current, int index);
    void paintSwatch(int stage, const QString& color);

    QString m_picturePath;
    QLabel* m_title = nullptr;
    MyConmboBox* m_chooseEvent = nullptr;
    Row m_rows[kStageCount];
    QButtonGroup* m_stageGroup = nullptr;
    QColorDialog* m_colorDialog = nullptr;

    int m_currentStage = 0;
    int m_stageCount = 1;
    QString m_stageColors[kStageCount];
    int m_previousStage = 0;
    int m_colorTarget = 0;
    // Set while a stage count change rearranges the rows for a mouse that did
    // not answer: the one notice has been asked for, nothing more is written.
    bool m_holdWrites = false;
    // Set while SetStageValue moves a slider: a value shown, not chosen.
    bool m_showingValue = false;
};
