#pragma once

#include <QString>

// Start with the desktop session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart, default ~/.config/autostart) that starts the
// program, plus the Run value of the registry layer that the program keeps for
// its own records.
class AutoStart
{
public:
    // "<autostart folder>/orvex-desklink.desktop".
    static QString entryPath();
    // The desktop entry that starts `programPath` (an absolute path); empty when
    // the path cannot be written into an entry (relative, or holding a line break).
    static QByteArray entryText(const QString& programPath);
    // Writes the entry atomically and the Run value (named after the program file
    // without its extension). False when either could not be written; the
    // entry is then taken back.
    static bool enable(const QString& programPath);
    // Removes both; removing what is not there succeeds. False when either
    // stays; an entry that cannot be removed keeps its Run value.
    static bool disable(const QString& programPath);
    // Whether an entry starts the program with the desktop.
    static bool isEnabled();
};
