#pragma once

#include "core/SettingsFile.h"

#include <QMutex>
#include <QString>
#include <QVariantMap>

// The user's own settings, "Macro.ini" in the data folder (language, start
// with the desktop, do-not-show-again flag). Every write is on disk when the
// call returns, or reported as failed with the file and the values read from
// this store as they were. A file that could not be read reads as empty and
// takes no write until it can be read. All accessors are safe from any thread.
class SettingsStore
{
public:
    // The single instance, created under g_SettingsStoreMutex on first use.
    static SettingsStore* instance();

    // The stored text, "" when absent.
    QString value(const QString& group, const QString& key);
    // Stores the text and writes the file; false when it could not be written.
    bool setValue(const QString& group, const QString& key, const QString& value);
    // Removes the key and writes the file; false when it could not be written.
    bool remove(const QString& group, const QString& key);

    QString filePath() const { return m_path; }

    // Tests only: drops the instance so that the next instance() opens
    // AppPaths::macroIniPath() (below the current HOME) anew. No other thread
    // may use the old instance.
    static void resetForTests();

private:
    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // False when the file could be read neither at construction nor now.
    bool knowsFile();
    bool store(const QVariantMap& values);

    QString m_path;
    SettingsFile m_file;
    QVariantMap m_values;  // what the file holds
    bool m_read = false;   // m_values came from the file (or it was absent)
    QMutex m_mutex;
};
