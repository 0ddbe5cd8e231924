#pragma once

#include <QToolButton>

// A device button of the device list: when the pointer enters it, the device
// named by its object name ("btn" + index) is read again and its picture
// restyled.
class mytoolButtonEnter : public QToolButton
{
    Q_OBJECT

public:
    explicit mytoolButtonEnter(QWidget* parent = nullptr);
    ~mytoolButtonEnter() override;

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
