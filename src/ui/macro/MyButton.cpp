#include "ui/macro/MyButton.h"

MyButton::MyButton(QWidget* parent)
    : QPushButton(parent)
{
}

void MyButton::enterEvent(QEvent*)
{
    setCursor(Qt::PointingHandCursor);
}

void MyButton::leaveEvent(QEvent*)
{
    setCursor(Qt::ArrowCursor);
}
