#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

class QLockFile;
class World;

// The simulator folder: the scenario file and the flash of every mouse. Writes
// are atomic (write, then rename) and go under a lock file so that the program
// and the command-line tool can change the same folder. When the folder cannot
// be used everything is kept in memory instead.
class SimStore
{
public:
    struct MouseFlash
    {
        int currentProfile = 0;
        QByteArray profiles[4];
    };

    SimStore();
    ~SimStore();

    // HIDSIM_DIR, else ".hidsim" in the user's home folder (the account's when
    // HOME is unset); opens and creates nothing.
    static QString folderFromEnvironment();
    // Uses that folder; creates it and the sample scenario when missing.
    void open();
    QString directory() const { return m_dir; }
    bool onDisk() const { return m_onDisk; }

    // Lock held across one read-modify-write; nests within one process.
    bool lock();
    void unlock();

    // Reads the scenario. False with error when it is missing or malformed.
    bool loadWorld(World* world, QString* error);
    bool saveWorld(const World& world, QString* error);
    bool replaceWorld(const QByteArray& json, QString* error);
    // The scenario file's text when it differs from what was last read or written
    // here (compared byte for byte: file times are too coarse to tell quick edits apart).
    bool readWorldIfChanged(QByteArray* json);

    // The flash of a mouse; the factory flash of its model `mid` when none is stored yet.
    MouseFlash loadFlash(const QString& mouseId, int mid);
    bool saveFlash(const QString& mouseId, const MouseFlash& flash);
    void removeAllFlash();

    QString scenarioPath() const;

private:
    QString flashPath(const QString& mouseId) const;
    bool writeAtomically(const QString& path, const QByteArray& data, QString* error);

    QString m_dir;
    bool m_onDisk = false;
    int m_lockDepth = 0;
    std::unique_ptr<QLockFile> m_lock;
    QByteArray m_worldText;
    QByteArray m_memoryWorld;
    QHash<QString, QByteArray> m_memoryFlash;
};
