#pragma once

#include "device/ImageFieldCodes.h"

#include <QFrame>

class QButtonGroup;
class QLabel;
class QToolButton;

// Row of report-rate buttons, 125 Hz .. 8000 Hz, exactly one checked. A click
// writes the rate code into byte 0; once the write is taken it tells the
// sensor page on the bus whether the new rate is a high one (SigHideModel).
class SensorRate : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kRateCount = ImageFieldCodes::kRateCount;

    struct Rate
    {
        const char* objectName;
        const char* text;
        int high;      // SigHideModel value after a taken write
    };
    static const Rate& rate(int index);
    // Button index of a rate code; -1 for a code that is none of the seven.
    static int indexOfCode(int code);

    explicit SensorRate(QWidget* parent = nullptr);
    ~SensorRate() override;

    // Checks button index (0..6) without writing; other indexes change nothing.
    void setIndex(int index);
    // 0: up to 1000 Hz, 1: up to 4000 Hz, 2: up to 2000 Hz, 3: up to 8000 Hz.
    void setModelLayout(int layout);
    void setText(const QString& text);

    QToolButton* button(int index) const;
    // Index of the checked button, -1 when none is checked.
    int checkedIndex() const;

private slots:
    void onRateClicked(int index, bool checked);

private:
    QLabel* m_label = nullptr;
    QToolButton* m_buttons[kRateCount] = {};
    QButtonGroup* m_group = nullptr;
    QString m_pictureFolder;
};
