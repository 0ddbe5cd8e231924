#include "ui/macro/mytoolButtonEnter.h"

#include "ui/home/DialogChange.h"

mytoolButtonEnter::mytoolButtonEnter(QWidget* parent)
    : QToolButton(parent)
{
}

mytoolButtonEnter::~mytoolButtonEnter() = default;

void mytoolButtonEnter::enterEvent(QEvent* event)
{
    Q_UNUSED(event)
    QString name = objectName();
    name.remove(QStringLiteral("btn"));
    DialogChange::UpdateDeviceButtons(name.toInt());
}

void mytoolButtonEnter::leaveEvent(QEvent* event)
{
    Q_UNUSED(event)
}
