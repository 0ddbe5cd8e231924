#pragma once

#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QString>

class MyConmboBox;
class MySlider;
class QButtonGroup;
class QColorDialog;
class QLabel;
class QSpinBox;
class QToolButton;

// The DPI stage editor of the sensor page: one button per stage with its DPI
// value, a colour swatch under each, a draggable marker under the active stage,
// the stage count, and a slider with step buttons for the selected stage's
// value. Every user action goes to the mouse at once; the editor keeps no copy
// of the image (values live as the stage buttons' texts, colours as "r,g,b").
//
// Showing a stage's value on the slider is display only and is never written;
// every change the user makes afterwards is. While the sensor page fills the
// editor (g_SensorPageFilling) nothing is written at all.
class SensorDPI : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kStageCount = 8;

    explicit SensorDPI(QWidget* parent = nullptr);
    ~SensorDPI() override;

    // ---- Operations of the sensor page (none writes to the device) ----
    void BlockStageCountSignals(bool block);
    void BlockSliderSignals(bool block);
    void ClearStageCounts();
    void InsertStageCount(int index, const QString& text);
    void SetStageCountIndex(int index);
    void SetSliderEnabled(bool on);
    void SetSliderMinimum(int value);
    void SetSliderMaximum(int value);
    void SetSliderValue(int value);
    void SetSpinValue(int value);
    void SetCurrentStage(int stage);
    void SetStageValueText(int stage, const QString& text);
    // "#rrggbb"; stored as the stage's colour text. The swatch is restyled by
    // ShowSelectedSwatch / SelectStage.
    void SetStageColor(int stage, const QString& colour);
    void ShowSelectedSwatch(int stage);
    // Shows stages 0..lastIndex and hides the others.
    void ShowStages(int lastIndex);
    // stageNumber 1..8: the marker goes under stage stageNumber - 1.
    void MoveMarker(int stageNumber);
    void SelectStage(int stage);
    void SetTitle(const QString& text);
    // Stage colours and values from the model's "DPIColor" and "DPIGrade".
    void ApplyModelDefaults();

    // ---- State, for the page and for tests ----
    int currentStage() const { return m_currentStage; }
    // The checked stage button, -1 when none is.
    int checkedStage() const;
    QString stageText(int stage) const;
    QString stageColour(int stage) const;
    QPoint markerPosition(int stage) const;

    QToolButton* stageButton(int stage) const;
    QToolButton* swatch(int stage) const;
    QLabel* marker() const { return m_marker; }
    MySlider* slider() const { return m_slider; }
    QSpinBox* spinBox() const { return m_spin; }
    MyConmboBox* stageCountBox() const { return m_chooseEvent; }
    QToolButton* reduceButton() const { return m_reduce; }
    QToolButton* addButton() const { return m_add; }
    QColorDialog* colorDialog() const { return m_colorDialog; }

public slots:
    void on_ChooseEvent_currentIndexChanged(int index);
    void on_horizontalSliderC_valueChanged(int value);
    void on_horizontalSliderC_sliderMoved(int value);
    void on_ReduceLevelA_clicked();
    void on_AddLevelA_clicked();
    void SetColor(const QColor& colour);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    static bool validStage(int stage) { return stage >= 0 && stage < kStageCount; }

    void buildForm();
    void applyLook();
    void onStageToggled(int stage, bool checked);
    void onStageClicked(int stage);
    void onSwatchToggled(int stage, bool checked);
    void onSwatchClicked(int stage);
    // Moves the slider to the stage's value without writing it.
    void showStageOnSlider(int stage);
    void exchangeStages(int previous, int index);
    // Checks the stage button of a dropped marker; false (offline notice
    // requested) when the device does not answer.
    bool SelectStageFromMarker(int stage);
    void dropMarker(const QPoint& at);
    void styleStageButton(int stage, bool selected);
    void styleSwatch(int stage, bool selected);

    QString m_pictureFolder;
    QString m_buttonColour;     // "r,g,b" or empty

    QLabel* m_title = nullptr;
    MyConmboBox* m_chooseEvent = nullptr;
    MySlider* m_slider = nullptr;
    QSpinBox* m_spin = nullptr;
    QToolButton* m_stages[kStageCount] = {};
    QToolButton* m_swatches[kStageCount] = {};
    QLabel* m_marker = nullptr;
    QToolButton* m_reduce = nullptr;
    QToolButton* m_add = nullptr;
    QButtonGroup* m_stageGroup = nullptr;
    QButtonGroup* m_swatchGroup = nullptr;
    QColorDialog* m_colorDialog = nullptr;

    QRect m_savedStageRects[kStageCount];
    QRect m_savedSwatchRects[kStageCount];
    QPoint m_markerPositions[kStageCount];
    QRect m_dragArea;
    bool m_dragging = false;
    QPoint m_dragOffset;

    int m_currentStage = 1;
    QString m_colours[kStageCount];
    // Set while the slider only shows a selected stage's value.
    bool m_showingStage = false;
    // Set while the editor rearranges stages for a device that does not answer.
    bool m_holdWrites = false;
};
