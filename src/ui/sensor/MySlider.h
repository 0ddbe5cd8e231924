#pragma once

#include <QSlider>

// Slider of the DPI editors: a press anywhere on the track moves the value
// straight to that point instead of paging towards it, and then tells the
// parent widget with an event of type QEvent::User + 1.
class MySlider : public QSlider
{
    Q_OBJECT

public:
    static constexpr int kPressedEventType = 1001;

    explicit MySlider(QWidget* parent = nullptr);
    ~MySlider() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
