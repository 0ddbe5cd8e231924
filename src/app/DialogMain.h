#pragma once

#include <QDialog>

// The program's top window.
class DialogMain : public QDialog
{
    Q_OBJECT

public:
    explicit DialogMain(QWidget* parent = nullptr);
};
