#pragma once

#include <QString>

class QWidget;

// Label files of the button page: "2.ini" to "6.ini" in the MainPage folder of
// the data folder, one per physical button 2 to 6. The first line names a
// function by a numbering of its own ("i" or "kind,code"); loading it puts that
// function button's text on the button's selector and scrolls the function
// list (and for multimedia keys and DPI lock their sub-list) to it. Nothing is
// written to the mouse or to the page's record of assignments.
//
// The page's widgets are found by object name below `page`, so the loader works
// on the button page and on any widget tree with the same names.
class ButtonLabelFiles
{
public:
    // The data folder's "usersetting/MainPage".
    static QString folder();

    // Physical button 2..6 (other numbers do nothing). A missing file, an empty
    // first line or a line of three or more items changes nothing.
    static void LoadButtonIni(QWidget* page, int button);
    static void LoadButtonIni(QWidget* page, int button, const QString& folder);

    // Applies one first line, as read from the file of `button`.
    static void ApplyLine(QWidget* page, int button, const QString& line);
};
