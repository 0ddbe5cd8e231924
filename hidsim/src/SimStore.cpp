#include "SimStore.h"

#include "FlashLayout.h"
#include "SampleScenario.h"
#include "World.h"
#include "core/UserHome.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QtDebug>

#include <chrono>
#include <thread>


namespace {

const char kMagic[4] = {'H', 'S', 'F', 'L'};
constexpr int kFlashHeader = 8;
constexpr int kFlashFileSize = kFlashHeader + FlashLayout::kProfileCount * FlashLayout::kFlashSize;

QByteArray encodeFlash(const SimStore::MouseFlash& f)
{
    QByteArray out(kFlashHeader, '\0');
    memcpy(out.data(), kMagic, 4);
    out[4] = 1;  // format
    out[5] = char(FlashLayout::kProfileCount);
    out[6] = char(f.currentProfile);
    for (const QByteArray& p : f.profiles)
        out.append(p.size() == FlashLayout::kFlashSize ? p : FlashLayout::factoryFlash());
    return out;
}

// A process killed between creating the lock file and writing its owner into it
// leaves a lock nobody holds, which QLockFile takes for stale only after the
// stale time: every change would wait for it until then. A lock being made
// names its owner within microseconds, so one still without an owner a moment
// later is such a leftover.
void removeLeftoverLock(QLockFile& lock, const QString& path)
{
    qint64 pid = 0;
    QString host;
    QString application;
    auto ownerless = [&] { return QFile::exists(path) && !lock.getLockInfo(&pid, &host, &application); };
    if (!ownerless())
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ownerless())
        QFile::remove(path);
}

bool decodeFlash(const QByteArray& data, SimStore::MouseFlash* f)
{
    if (data.size() != kFlashFileSize || memcmp(data.constData(), kMagic, 4) != 0 || data[4] != 1
        || data[5] != char(FlashLayout::kProfileCount) || uchar(data[6]) >= FlashLayout::kProfileCount)
        return false;
    f->currentProfile = uchar(data[6]);
    for (int i = 0; i < FlashLayout::kProfileCount; ++i)
        f->profiles[i] = data.mid(kFlashHeader + i * FlashLayout::kFlashSize, FlashLayout::kFlashSize);
    return true;
}

SimStore::MouseFlash factory(int mid)
{
    SimStore::MouseFlash f;
    for (QByteArray& p : f.profiles)
        p = FlashLayout::factoryFlash(mid);
    return f;
}

}  // namespace

SimStore::SimStore() = default;
SimStore::~SimStore() = default;

QString SimStore::folderFromEnvironment()
{
    const QByteArray env = qgetenv("HIDSIM_DIR");
    return env.isEmpty() ? UserHome::path() + "/.hidsim" : QDir::cleanPath(QString::fromLocal8Bit(env));
}

void SimStore::open()
{
    m_dir = folderFromEnvironment();
    m_onDisk = QDir().mkpath(m_dir + "/flash");
    if (!m_onDisk) {
        qWarning("hidsim: cannot use the folder %s; virtual devices are kept in memory only",
                 qPrintable(m_dir));
        m_memoryWorld = QByteArray(kSampleScenario);
        return;
    }
    m_lock.reset(new QLockFile(m_dir + "/.lock"));
    m_lock->setStaleLockTime(10000);
    removeLeftoverLock(*m_lock, m_dir + "/.lock");
    if (!QFile::exists(scenarioPath())) {
        QString error;
        lock();
        if (!QFile::exists(scenarioPath()) && !writeAtomically(scenarioPath(), kSampleScenario, &error))
            qWarning("hidsim: cannot write %s: %s", qPrintable(scenarioPath()), qPrintable(error));
        unlock();
    }
}

QString SimStore::scenarioPath() const
{
    return m_dir + "/scenario.json";
}

QString SimStore::flashPath(const QString& mouseId) const
{
    return m_dir + "/flash/" + mouseId + ".bin";
}

bool SimStore::lock()
{
    if (!m_onDisk)
        return true;
    if (m_lockDepth++ > 0)
        return true;
    if (m_lock->tryLock(5000))
        return true;
    // A lock that stays taken must not stop the devices; go on without it.
    qWarning("hidsim: %s stays locked; changing it anyway", qPrintable(m_dir));
    return false;
}

void SimStore::unlock()
{
    if (!m_onDisk || m_lockDepth == 0)
        return;
    if (--m_lockDepth == 0 && m_lock->isLocked())
        m_lock->unlock();
}

bool SimStore::readWorldIfChanged(QByteArray* json)
{
    if (!m_onDisk)
        return false;
    QFile f(scenarioPath());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = f.readAll();
    if (text == m_worldText)
        return false;
    m_worldText = text;
    *json = text;
    return true;
}

bool SimStore::loadWorld(World* world, QString* error)
{
    if (!m_onDisk)
        return World::fromJson(m_memoryWorld, world, error);
    QFile f(scenarioPath());
    if (!f.open(QIODevice::ReadOnly)) {
        *error = "cannot read " + scenarioPath();
        return false;
    }
    m_worldText = f.readAll();
    if (!World::fromJson(m_worldText, world, error)) {
        *error = scenarioPath() + ": " + *error;
        return false;
    }
    return true;
}

bool SimStore::saveWorld(const World& world, QString* error)
{
    return replaceWorld(world.toJson(), error);
}

bool SimStore::replaceWorld(const QByteArray& json, QString* error)
{
    if (!m_onDisk) {
        m_memoryWorld = json;
        return true;
    }
    if (!writeAtomically(scenarioPath(), json, error))
        return false;
    m_worldText = json;
    return true;
}

bool SimStore::writeAtomically(const QString& path, const QByteArray& data, QString* error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

SimStore::MouseFlash SimStore::loadFlash(const QString& mouseId, int mid)
{
    MouseFlash flash;
    if (!m_onDisk) {
        if (m_memoryFlash.contains(mouseId) && decodeFlash(m_memoryFlash.value(mouseId), &flash))
            return flash;
        return factory(mid);
    }
    QFile f(flashPath(mouseId));
    if (!f.open(QIODevice::ReadOnly))
        return factory(mid);
    const QByteArray data = f.readAll();
    f.close();
    if (decodeFlash(data, &flash))
        return flash;
    // Keep what cannot be read for inspection; the mouse starts from its factory image.
    qWarning("hidsim: %s is not a flash file; the mouse starts from its factory settings",
             qPrintable(flashPath(mouseId)));
    QFile::remove(flashPath(mouseId) + ".bad");
    QFile::rename(flashPath(mouseId), flashPath(mouseId) + ".bad");
    return factory(mid);
}

bool SimStore::saveFlash(const QString& mouseId, const MouseFlash& flash)
{
    const QByteArray data = encodeFlash(flash);
    if (!m_onDisk) {
        m_memoryFlash.insert(mouseId, data);
        return true;
    }
    QString error;
    if (!writeAtomically(flashPath(mouseId), data, &error)) {
        qWarning("hidsim: cannot write %s: %s", qPrintable(flashPath(mouseId)), qPrintable(error));
        return false;
    }
    return true;
}

void SimStore::removeAllFlash()
{
    m_memoryFlash.clear();
    if (!m_onDisk)
        return;
    QDir dir(m_dir + "/flash");
    for (const QString& name : dir.entryList(QDir::Files))
        dir.remove(name);
}
