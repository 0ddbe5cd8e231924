#pragma once

#include <QWidget>

// The macro editor page of the device home page. Not built yet: it shows an
// empty page of its final size. It already answers the home page's leave
// signal, since nothing can be recording on it.
class Macro : public QWidget
{
    Q_OBJECT

public:
    explicit Macro(QWidget* parent = nullptr);
    ~Macro() override;

public slots:
    // Leaving the device ends any recording and unlocks the home page's page buttons.
    void SlotSetMacroPage();
};
