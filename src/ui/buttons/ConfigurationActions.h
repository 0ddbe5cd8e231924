#pragma once

#include "device/FlashDataMap.h"

#include <QString>

#include <functional>

class MyConmboBox;
class QWidget;

// The device-wide actions below the button page's selectors: the profile
// choice, the factory reset, the import and the export of a configuration
// file. GUI thread; `page` is the page the dialogs are placed on.
class ConfigurationActions
{
public:
    // The user chose profile `index` in `box`.
    static void chooseProfile(MyConmboBox* box, int index);
    static void factoryReset(QWidget* page);
    static void importFile(QWidget* page);
    static void exportFile(QWidget* page);
    // Writes the export file; false (and an existing file kept) when it fails.
    static bool writeExport(const QString& path, const FlashDataMap& image);

    // Asks for a file to open (save false) or to save (save true); "" when the
    // user cancels. Tests replace it.
    static std::function<QString(QWidget* page, bool save)> chooseFile;
};
