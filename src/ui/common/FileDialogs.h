#pragma once

#include <QString>

class QWidget;

// The save dialog of the configuration and macro exports, and the name its
// answer stands for. A name typed without an extension is saved as the
// filter's kind of file, so that an open dialog with the same filter lists it.
class FileDialogs
{
public:
    // The extension that a filter such as "File(*.bin)" asks for, without the
    // dot; empty when the filter names none.
    static QString filterExtension(const QString& filter);

    // `path` with the filter's extension added when its file name has none (no
    // dot in it). An empty path (nothing chosen) stays empty.
    static QString withFilterExtension(const QString& path, const QString& filter);

    // Asks for a file to save to, starting in the home folder; empty when the
    // person cancels. The dialog adds the extension itself, so its question
    // before replacing a file concerns the file that will be written.
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& filter);
};
