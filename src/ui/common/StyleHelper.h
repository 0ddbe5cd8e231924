#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <Qt>

class QWidget;

// Shared pieces of the run-time looks: picture folders, style-sheet rules built
// from pictures and Config.ini "Option" colours, and the placement of dialogs
// over the widget they belong to. A missing picture only leaves the part bare;
// a colour list shorter than red, green, blue leaves the style unchanged.
class StyleHelper
{
public:
    // A picture folder below the application folder, with a trailing slash.
    // "Dialog", "Picture/Dialog" and "/Picture/Dialog" all give
    // "<application folder>/Picture/Dialog/" (spelling "Picture/<Folder>" out
    // lets the picture check know which folder a file uses).
    static QString pictureFolder(const QString& folder);

    // "rgb(r,g,b)" of an "Option" colour; empty when the list is not usable.
    static QString optionRgb(const QString& key);
    // "color:rgb(r,g,b);" of an "Option" colour; empty when the list is not usable.
    static QString colorRule(const QString& key);
    // Sets "color:..." on the widget; false (style untouched) when the colour is not usable.
    static bool applyTextColor(QWidget* widget, const QString& key);

    // Tool-button rules: border images for normal, hover, pressed and checked
    // (empty names are left out). `extra` goes into the normal rule.
    static QString toolButtonImages(const QString& folder, const QString& normal,
                                    const QString& hover, const QString& pressed,
                                    const QString& checked = QString(),
                                    const QString& extra = QString());
    // A frame named `objectName` with the picture as its background.
    static QString frameBackground(const QString& objectName, const QString& folder,
                                   const QString& picture);

    // Window flags of the small notices: frameless, no window-manager decoration.
    static Qt::WindowFlags noticeFlags();

    // Top-left corner that centres a `size` widget on `reference` (screen
    // coordinates, integer division truncating toward zero), shifted by dx, dy.
    static QPoint centredOn(const QWidget* reference, const QSize& size, int dx = 0, int dy = 0);
    static QPoint centredOn(const QPoint& referenceTopLeft, const QSize& referenceSize,
                            const QSize& size, int dx = 0, int dy = 0);
    // Moves `dialog` to centredOn(reference, dialog size, dx, dy).
    static void placeCentred(QWidget* dialog, const QWidget* reference, int dx = 0, int dy = 0);

    // Gives `window` a translucent background: what it does not paint (the
    // rounded corners of its picture) shows what lies below. Where no
    // compositing manager blends it (a plain X server) those parts would turn
    // black, so the window is cut to the shape of what it paints instead.
    static void useTranslucentBackground(QWidget* window);

    // Makes `window` ask for keyboard focus each time it is shown. Windows that
    // bypass the window manager never get it otherwise under X11.
    static void activateWhenShown(QWidget* window);
};
