#include "ui/sensor/MyConmboBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

MyConmboBox::MyConmboBox(QWidget* parent)
    : QComboBox(parent)
{
}

MyConmboBox::~MyConmboBox() = default;

void MyConmboBox::mousePressEvent(QMouseEvent* event)
{
    // Taken before the base class opens the list, which may change the entry.
    pressIndex = currentIndex();
    QComboBox::mousePressEvent(event);
}

void MyConmboBox::paintEvent(QPaintEvent* /*event*/)
{
    QStyleOptionComboBox option;
    initStyleOption(&option);

    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, this);

    if (isEditable()) {
        style()->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, this);
        return;
    }

    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                QStyle::SC_ComboBoxEditField, this);
    painter.end();

    // Drawn as a push-button label: centred in the field, in the style sheet's colours.
    QStyleOptionButton label;
    label.initFrom(this);
    label.rect = field;
    label.text = option.currentText;
    label.icon = option.currentIcon;
    label.iconSize = option.iconSize;
    QPainter labelPainter(this);
    style()->drawControl(QStyle::CE_PushButtonLabel, &label, &labelPainter, this);
}
