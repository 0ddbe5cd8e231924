#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

// Looks shared by the sensor option frames and the DPI stage editor, built from
// the Config.ini "Option" colours and the pictures of the caller's folder.
// A colour list that is not usable leaves that part of the look out.
class SensorLook
{
public:
    // Drop-down: text colour "ComboxTextColor", arrow and list pictures of the
    // folder, drop-down button "ComboxBackGroundColor", selected and hovered rows
    // "ComboxSelectColor".
    static QString comboBoxSheet(const QString& folder);
    // The sheet above plus a list view of the box's own (whose rows the sheet
    // can colour), showing at most maxVisible rows when maxVisible > 0.
    static void styleComboBox(QComboBox* box, const QString& folder, int maxVisible = 0);

    // Horizontal slider: a 5-pixel groove in the dark border colour, the
    // folder's handle picture and the filled part in "SliderColor".
    static QString sliderSheet(const QString& folder);

    // "LabelColor" text on a transparent background.
    static void styleLabel(QWidget* label);
};
