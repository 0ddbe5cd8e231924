#pragma once

#include <QToolButton>

// A tool button that acts at the moment of the press and tells a single press
// from a double-click: clicked(false) on a left press, clicked(true) on a left
// double-click. It never shows a pressed state and emits nothing on release.
class MyToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit MyToolButton(QWidget* parent = nullptr);

signals:
    // Declared for forms that connect it; nothing emits it.
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};
