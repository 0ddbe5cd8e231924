#pragma once

#include <QComboBox>

// Drop-down of the forms: paints its current text centred like a push-button
// label (non-editable boxes) and remembers which entry was current when the
// mouse was pressed, so a caller can go back to it after a refused choice.
//
// Like any QComboBox, setCurrentIndex() with an index the box does not have
// selects nothing and reports index -1; slots that map an index to a device
// value must ignore -1.
class MyConmboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit MyConmboBox(QWidget* parent = nullptr);
    ~MyConmboBox() override;

    // Index that was current at the last mouse press (0 until the first press).
    int pressIndex = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
