#include "ui/settings/UpgradeMessage.h"

#include <QCoreApplication>

void UpgradeMessage::forward(const unsigned char* message, std::function<void(int kind, int value)> onGuiThread)
{
    if (!message || message[0] != 7)
        return;
    const int kind = message[1];
    const int value = message[2];
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [onGuiThread = std::move(onGuiThread), kind, value] { onGuiThread(kind, value); },
        Qt::QueuedConnection);
}
