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
    // without its extension). False when the entry could not be written.
    static bool enable(const QString& programPath);
    // Removes both; removing what is not there succeeds.
    static bool disable(const QString& programPath);
    static bool isEnabled();
};
