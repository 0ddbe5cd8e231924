#include "ui/sensor/MySlider.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

MySlider::MySlider(QWidget* parent)
    : QSlider(parent)
{
}

MySlider::~MySlider() = default;

void MySlider::mousePressEvent(QMouseEvent* event)
{
    // The base class first, so that dragging by the handle works as usual.
    QSlider::mousePressEvent(event);

    const int w = width();
    if (w > 0) {
        double fraction = static_cast<double>(event->pos().x()) / static_cast<double>(w);
        if (fraction < 0.0)
            fraction = 0.0;
        if (fraction > 1.0)
            fraction = 1.0;
        const double span = static_cast<double>(maximum()) - static_cast<double>(minimum());
        setValue(static_cast<int>(static_cast<double>(minimum()) + span * fraction));
    }

    if (QWidget* parent = parentWidget()) {
        QEvent pressed(static_cast<QEvent::Type>(kPressedEventType));
        QCoreApplication::sendEvent(parent, &pressed);
    }
}
