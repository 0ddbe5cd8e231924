#pragma once

#include <QLineEdit>

// A line edit that the keyboard cannot change: its text is set by code (and
// by mouse-driven editing such as pasting from its context menu).
class MyLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit MyLineEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
