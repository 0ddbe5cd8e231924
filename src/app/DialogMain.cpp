#include "app/DialogMain.h"

DialogMain::DialogMain(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("DialogMain");
    setWindowTitle("Orvex DeskLink");
    setFixedSize(1020, 700);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
}
