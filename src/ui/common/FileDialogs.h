#pragma once

#include <QString>

class QWidget;

// The save dialog of the configuration and macro exports, and the name its
// answer stands for. A name that does not end with the filter's extension
// (none, or a dot of its own as in "team.v2") is saved as the filter's kind
// of file, so that an open dialog with the same filter lists it.
class FileDialogs
{
public:
    // The extension that a filter such as "File(*.bin)" asks for, without the
    // dot; empty when the filter names none.
    static QString filterExtension(const QString& filter);

    // `path` with the filter's extension added unless its file name already
    // ends with it (in any letter case). An empty path (nothing chosen) stays empty.
    static QString withFilterExtension(const QString& path, const QString& filter);

    // Asks for a file to save to, starting in the home folder; empty when the
    // person cancels. The dialog adds the extension itself, as above, so its
    // question before replacing a file concerns the file that will be written.
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& filter);
};
