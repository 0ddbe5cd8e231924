#include "ui/settings/UpgradeMessage.h"

#include <QCoreApplication>

void UpgradeMessage::forward(const unsigned char* message, void (*onGuiThread)(int kind, int value))
{
    if (!message || message[0] != 7 || !onGuiThread)
        return;
    const int kind = message[1];
    const int value = message[2];
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [onGuiThread, kind, value] { onGuiThread(kind, value); }, Qt::QueuedConnection);
}
