#pragma once

#include <QString>
#include <QVariant>

// The program's per-user registry: values addressed by a Windows-style key
// path and a value name, kept in one INI file below the user's config folder
// ($XDG_CONFIG_HOME or ~/.config, "<app name>/Registry.ini").
//
// "HKEY_CURRENT_USER\Software\A\B", "HKCU\Software\A\B" and "Software\A\B"
// all name the group "A/B" of that file ('/' is accepted as separator too).
// Key paths and value names are case-sensitive; a value name that is empty or
// contains '/' or '\' is refused (default value, false). Every write is on
// disk when the call returns. Safe from any thread; the file location follows
// HOME/XDG_CONFIG_HOME at each call.
class Registry
{
public:
    static QVariant value(const QString& keyPath, const QString& name,
                          const QVariant& defaultValue = QVariant());
    static bool contains(const QString& keyPath, const QString& name);
    // False when the file could not be written, or could not be read first
    // (the file then stays as it was).
    static bool setValue(const QString& keyPath, const QString& name, const QVariant& value);
    // Removing a value that is not there succeeds silently; false as for setValue.
    static bool remove(const QString& keyPath, const QString& name);

    // Key paths the program uses.
    // "HKEY_CURRENT_USER\Software\<app>\<app>\<app>": one-time language hand-over.
    static QString languageKeyPath();
    // "HKEY_CURRENT_USER\Software\<app>\<app>\Mouse Drive Test": firmware records.
    static QString mouseDriveTestKeyPath();
    // "HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run": start with the desktop.
    static QString runKeyPath();
    // Value below mouseDriveTestKeyPath(): the recorded firmware version of the
    // mouse with these catalogue ids, "MouseVer<customer id><model id>".
    static QString mouseVersionName(const QString& customerId, const QString& modelId);

    // The group that a key path maps to, e.g. "A/B".
    static QString groupFor(const QString& keyPath);
    static QString filePath();
};
