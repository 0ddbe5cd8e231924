#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

class QColor;
class QSettings;

// Read-only access to the delivered catalogue "usersetting/Config.ini".
// The identifier keys (see isBase64Key) are stored Base64; every other key is
// plain text. A missing file or key reads as "" (or an empty list). All
// accessors are safe from any thread.
class ConfigSettings
{
public:
    // The single instance, created under g_ConfigSettingsMutex on first use.
    static ConfigSettings* instance();

    // group + "/" + key as text; a list value comes back joined with ",".
    QString value(const QString& group, const QString& key);
    // The value as a comma-separated list; Base64 keys are decoded item by item.
    QStringList valueList(const QString& group, const QString& key);

    // An "Option" colour list whose first three items are red, green and blue.
    // False (and *out untouched) when the list has fewer than three items or an
    // item is not a number 0..255: callers then keep their style unchanged.
    bool colour(const QString& key, QColor* out);
    // The same as "r,g,b" text for style sheets, e.g. "rgb(" + text + ")".
    bool colourText(const QString& key, QString* out);

    QString filePath() const { return m_path; }

    static bool isBase64Key(const QString& key);
    // Base64 text to the decoded UTF-8 text without spaces and line breaks.
    // Characters outside the Base64 alphabet are skipped, so a stray character
    // in a hand-edited catalogue does not empty the identifier.
    static QString decodeBase64(const QString& raw);

    // Tests only: drops the instance so that the next instance() opens
    // AppPaths::configIniPath() anew. No other thread may use the old instance.
    static void resetForTests();

private:
    ConfigSettings();
    ~ConfigSettings();
    ConfigSettings(const ConfigSettings&) = delete;
    ConfigSettings& operator=(const ConfigSettings&) = delete;

    bool colourParts(const QString& key, int rgb[3]);

    QString m_path;
    QSettings* m_settings;
    QMutex m_mutex;  // QSettings is not safe for concurrent use
};
