#pragma once

#include <QString>
#include <QStringList>

// The macro folder and the names of the macro files in it. A macro's name is
// its file name without ".ini". Names come from the user, from exchange files
// and from the device, so none reaches the file system before it passed
// isSafeName() and its path was found to lie inside the folder.
class MacroFolder
{
public:
    // <data folder>/usersetting/MacroPage
    static QString defaultPath();

    // Refuses the empty name, "." and "..", any name with a leading ".",
    // a "/" or "\", or a control character.
    static bool isSafeName(const QString& name);

    // folder + "/" + name + ".ini", or the empty text when the name is not
    // safe or the path would not lie directly inside the folder.
    static QString filePath(const QString& folder, const QString& name);

    // The macros of the folder: the regular files (not symbolic links) named
    // "<safe name>.ini", by name ignoring case, each without its ".ini".
    static QStringList list(const QString& folder);
};
