#include "Simulator.h"

#include "FlashLayout.h"

#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFlashReports = FlashLayout::kFlashSize / FlashLayout::kReportSize;  // 108
constexpr int kCableIntervalUs = 1000;
constexpr int kPollIntervalMs = 100;
// Physical durations of the mouse's and receiver's own work, in microseconds.
constexpr double kRestartUs = 400000;        // restart after a factory reset
constexpr double kPairReadyUs = 1500000;     // radio search before a pairing completes
constexpr double kPairTimeoutUs = 30000000;  // receiver gives up pairing
constexpr double kEnterBootUs = 200000;
constexpr double kEraseUs = 500000;
constexpr double kBlockWriteUs = 8000;       // one 64-byte block in the boot loader
constexpr double kBootRestartUs = 300000;
constexpr int kLogLines = 8;

enum ReportType {
    kBattery = 4,
    kPairStatus = 6,
    kFlashRead = 8,
    kConnected = 9,
    kStatusChanged = 10,
    kConfiguration = 14,
    kVersion = 18,
    kReceiverLight = 21,
    kLongRangeOff = 23,
};

enum StatusFlag {
    kFlagDpiStage = 1 << 0,
    kFlagReportRate = 1 << 1,
    kFlagRefresh = 1 << 2,
    kFlagLedBar = 1 << 5,
    kFlagBattery = 1 << 6,
};

double initialScale()
{
    for (const char* name : {"HIDSIM_TIME_SCALE", "DESKLINK_TIME_SCALE"}) {
        bool ok = false;
        const double v = qEnvironmentVariable(name).toDouble(&ok);
        if (ok && v >= 0 && std::isfinite(v))
            return v;
    }
    return 1.0;
}

QByteArray oneByte(int v)
{
    return QByteArray(1, char(v));
}

void putLe16(unsigned char* p, int v)
{
    p[0] = (unsigned char)(v & 0xFF);
    p[1] = (unsigned char)((v >> 8) & 0xFF);
}

int hexId(const QString& text)
{
    return int(text.toUInt(nullptr, 16));
}

}  // namespace

Simulator& Simulator::instance()
{
    // Never destroyed: paths handed out and library threads outlive static destruction.
    static Simulator* s = new Simulator;
    return *s;
}

Simulator::Simulator()
{
    m_scale = initialScale();
    for (int i = 0; i < kLogLines; ++i)
        m_upgradeLog.append(QString());
    m_store.open();
    World w;
    QString error;
    if (!m_store.loadWorld(&w, &error)) {
        qWarning("hidsim: %s", qPrintable(error));
        m_lastLoadError = error;
    }
    setWorld(w);
    m_nextPoll = Clock::now();
    m_engine = std::thread([this] { engineLoop(); });
    std::atexit(&Simulator::atExit);
}

void Simulator::atExit()
{
    instance().shutdown();
}

void Simulator::shutdown()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_wake.notify_all();
        if (m_engine.joinable() && m_engine.get_id() != std::this_thread::get_id()) {
            const bool done = m_engineDone.wait_for(lock, std::chrono::milliseconds(500),
                                                    [this] { return m_engineFinished; });
            lock.unlock();
            if (done)
                m_engine.join();
            else
                m_engine.detach();
        } else if (m_engine.joinable()) {
            m_engine.detach();
        }
    }
    m_reports.shutdown(100);
    m_changes.shutdown(100);
    m_progress.shutdown(100);
}

// ---------------------------------------------------------------- engine

void Simulator::engineLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        Clock::time_point now = Clock::now();
        if (now >= m_nextPoll) {
            pollWorldFile();
            m_nextPoll = now + std::chrono::milliseconds(kPollIntervalMs);
        }
        runDueTimers();
        Clock::time_point wake = m_nextPoll;
        if (!m_timers.empty())
            wake = std::min(wake, m_timers.begin()->first);
        m_wake.wait_until(lock, wake);
    }
    m_engineFinished = true;
    m_engineDone.notify_all();
}

// Also called before each change of the devices and each look at a mouse's
// flash: a transfer that has ended by then has reached the mouse (or missed it)
// first, however late this thread gets to it on a busy machine.
void Simulator::runDueTimers()
{
    while (!m_stopping && !m_timers.empty() && m_timers.begin()->first <= Clock::now()) {
        std::function<void()> fn = std::move(m_timers.begin()->second);
        m_timers.erase(m_timers.begin());
        fn();
    }
}

void Simulator::scheduleAt(Clock::time_point when, std::function<void()> fn)
{
    const bool earliest = m_timers.empty() || when < m_timers.begin()->first;
    m_timers.emplace(when, std::move(fn));
    if (earliest)
        m_wake.notify_all();
}

Simulator::Clock::duration Simulator::scaled(double physicalUs) const
{
    const double us = std::max(0.0, physicalUs * m_scale);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::micro>(us));
}

void Simulator::sleepOutsideLock(std::unique_lock<std::mutex>& lock, double physicalUs)
{
    const Clock::duration d = scaled(physicalUs) + std::chrono::microseconds(m_extraLatencyUs);
    lock.unlock();
    if (d > Clock::duration::zero())
        std::this_thread::sleep_for(d);
}

// ---------------------------------------------------------------- world

void Simulator::setWorld(const World& world)
{
    m_world = world;
    m_endpoints.clear();
    for (int i = 0; i < m_world.mice.size(); ++i) {
        const World::Mouse& m = m_world.mice[i];
        if (m.cable && !m.bootLoader)
            m_endpoints.push_back(Endpoint{m_world.cablePath(m), false, i, m.usbPid});
    }
    for (int i = 0; i < m_world.receivers.size(); ++i) {
        const World::Receiver& r = m_world.receivers[i];
        if (r.plugged && !r.bootLoader)
            m_endpoints.push_back(Endpoint{m_world.receiverPath(r), true, i, r.pid()});
    }
}

void Simulator::pollWorldFile()
{
    QByteArray json;
    if (!m_store.readWorldIfChanged(&json))
        return;
    World w;
    QString error;
    if (!World::fromJson(json, &w, &error)) {
        error = m_store.scenarioPath() + ": " + error;
        // Someone is editing the file by hand: keep the devices as they are.
        if (error != m_lastLoadError)
            qWarning("hidsim: %s", qPrintable(error));
        m_lastLoadError = error;
        return;
    }
    m_lastLoadError.clear();
    const Snapshot before = snapshot();
    setWorld(w);
    react(before, snapshot());
}

bool Simulator::mutate(const std::function<bool(World&, QString*)>& change, QString* error)
{
    QString localError;
    if (!error)
        error = &localError;
    runDueTimers();
    m_store.lock();
    pollWorldFile();
    const Snapshot before = snapshot();
    World w = m_world;
    if (!change(w, error) || !m_store.saveWorld(w, error)) {
        m_store.unlock();
        return false;
    }
    m_store.unlock();
    setWorld(w);
    react(before, snapshot());
    return true;
}

const Simulator::Endpoint* Simulator::endpoint(const char* path) const
{
    if (!path)
        return nullptr;
    return endpoint(std::string(path));
}

const Simulator::Endpoint* Simulator::endpoint(const std::string& path) const
{
    for (const Endpoint& e : m_endpoints)
        if (e.path == path)
            return &e;
    return nullptr;
}

const World::Receiver* Simulator::receiverAt(const Endpoint& e) const
{
    return e.receiver ? &m_world.receivers[e.index] : nullptr;
}

bool Simulator::rebooting(const QString& mouseId) const
{
    return m_restartUntil.count(mouseId) > 0;
}

const World::Mouse* Simulator::mouseBehind(const Endpoint& e) const
{
    if (!e.receiver) {
        const World::Mouse& m = m_world.mice[e.index];
        return rebooting(m.id) ? nullptr : &m;
    }
    const World::Mouse* m = m_world.pairedMouse(m_world.receivers[e.index]);
    if (!m || !m->powered || m->cable || m->bootLoader || rebooting(m->id))
        return nullptr;
    return m;
}

bool Simulator::endpointOnline(const Endpoint& e) const
{
    return mouseBehind(e) != nullptr;
}

int Simulator::connectionType(const Endpoint& e) const
{
    return e.receiver ? m_world.receivers[e.index].connectionType() : 2;
}

int Simulator::intervalUs(const Endpoint& e) const
{
    return e.receiver ? m_world.receivers[e.index].intervalUs() : kCableIntervalUs;
}

Simulator::Snapshot Simulator::snapshot() const
{
    Snapshot s;
    for (const Endpoint& e : m_endpoints)
        s.paths[e.path] = endpointOnline(e);
    for (const World::Mouse& m : m_world.mice)
        s.mice[m.id] = Snapshot::MouseSignals{m.dpiPresses, m.ratePresses, m.lightPresses, m.battery,
                                                m.profileSwitches, m.charging};
    return s;
}

void Simulator::react(const Snapshot& before, const Snapshot& after)
{
    bool listChanged = before.paths.size() != after.paths.size();
    for (auto b = before.paths.begin(), a = after.paths.begin(); !listChanged && b != before.paths.end();
         ++b, ++a)
        listChanged = b->first != a->first;
    if (listChanged)
        noteDeviceChange();

    if (m_link.open) {
        const auto b = before.paths.find(m_link.path);
        const auto a = after.paths.find(m_link.path);
        if (b != before.paths.end() && a != after.paths.end()) {
            if (!b->second && a->second) {
                postConnected();
            } else if (b->second && a->second) {
                const World::Mouse* m = linkedMouse();
                const auto mb = m ? before.mice.find(m->id) : before.mice.end();
                const auto ma = m ? after.mice.find(m->id) : after.mice.end();
                if (mb != before.mice.end() && ma != after.mice.end()) {
                    int flags = 0;
                    if (ma->second.dpi > mb->second.dpi)
                        flags |= kFlagDpiStage;
                    if (ma->second.rate > mb->second.rate)
                        flags |= kFlagReportRate;
                    if (ma->second.light > mb->second.light)
                        flags |= kFlagLedBar;
                    if (ma->second.battery != mb->second.battery || ma->second.charging != mb->second.charging)
                        flags |= kFlagBattery;
                    if (ma->second.profile > mb->second.profile) {
                        // As after a switch asked over the link: the new profile, then a refresh.
                        m_store.lock();
                        const int profile = loadFlash(m->id).currentProfile;
                        m_store.unlock();
                        postReport(kConfiguration, 0, oneByte((unsigned char)profile));
                        flags |= kFlagRefresh;
                    }
                    if (flags)
                        postReport(kStatusChanged, 0, oneByte(flags));
                }
            }
        }
    }
    checkPairing();
    if (m_upgrade.running && !upgradeTargetPresent())
        loseUpgradeTarget();
}

bool Simulator::takeWriteFailure()
{
    if (m_failWrites <= 0)
        return false;
    --m_failWrites;
    return true;
}

SimStore::MouseFlash Simulator::loadFlash(const QString& mouseId)
{
    return m_store.loadFlash(mouseId, modelOf(mouseId));
}

int Simulator::modelOf(const QString& mouseId) const
{
    const World::Mouse* m = m_world.mouse(mouseId);
    return m ? m->mid : -1;
}

void Simulator::saveFlash(const QString& mouseId, const SimStore::MouseFlash& flash)
{
    m_store.saveFlash(mouseId, flash);
}

// ---------------------------------------------------------------- discovery

char** Simulator::findDevices(const char* vid, const char* pid, int* count)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    std::vector<std::string> paths;
    const int capacity = count ? *count : 0;
    if (vid && pid && m_world.vendorId.compare(QLatin1String(vid), Qt::CaseInsensitive) == 0) {
        for (const Endpoint& e : m_endpoints)
            if (int(paths.size()) < capacity && e.pid.compare(QLatin1String(pid), Qt::CaseInsensitive) == 0)
                paths.push_back(e.path);
    }
    if (count)
        *count = int(paths.size());
    return m_pool.internArray(paths);
}

bool Simulator::attribute(const char* path, unsigned char* out)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !out)
        return false;
    std::memset(out, 0, 12);
    putLe16(out, hexId(m_world.vendorId));
    putLe16(out + 2, hexId(e->pid));
    out[4] = (unsigned char)connectionType(*e);
    out[5] = 1;
    putLe16(out + 8, e->receiver ? m_world.receivers[e->index].firmware : m_world.mice[e->index].firmware);
    sleepOutsideLock(lock, intervalUs(*e));
    return true;
}

UsbDeviceInfo Simulator::deviceInfo(const char* path)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e)
        return UsbDeviceInfo{0, 0, 0};
    UsbDeviceInfo info{0, 0, (unsigned char)connectionType(*e)};
    if (e->receiver) {
        info.cid = (unsigned char)m_world.receivers[e->index].cid;
        info.mid = (unsigned char)m_world.receivers[e->index].mid;
    } else {
        info.cid = (unsigned char)m_world.mice[e->index].cid;
        info.mid = (unsigned char)m_world.mice[e->index].mid;
    }
    sleepOutsideLock(lock, intervalUs(*e));
    return info;
}

bool Simulator::online(const char* path)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e)
        return false;
    const bool on = endpointOnline(*e);
    sleepOutsideLock(lock, intervalUs(*e));
    return on;
}

bool Simulator::onlineWithAddress(const char* path, unsigned char* out)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !out)
        return false;
    const bool on = endpointOnline(*e);
    std::memset(out, 0, 10);
    putLe16(out, hexId(m_world.vendorId));
    putLe16(out + 2, hexId(e->pid));
    out[4] = (unsigned char)connectionType(*e);
    out[6] = on ? 1 : 0;
    const World::Receiver* r = e->receiver ? &m_world.receivers[e->index]
                                           : m_world.receiver(m_world.mice[e->index].pairedTo);
    if (r)
        std::memcpy(out + 7, r->address, 3);
    sleepOutsideLock(lock, intervalUs(*e));
    return on;
}

int Simulator::mouseVersion(const char* path)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e)
        return 0;
    const World::Mouse* m = mouseBehind(*e);
    const int word = m ? m->firmware : 0;
    sleepOutsideLock(lock, intervalUs(*e));
    return word;
}

bool Simulator::receiverVersion(const char* path, int* version)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !e->receiver || !version)
        return false;
    *version = m_world.receivers[e->index].firmware;
    sleepOutsideLock(lock, intervalUs(*e));
    return true;
}

bool Simulator::setReceiverLight(const char* path, DongleRGB* rgb)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !e->receiver || m_world.receivers[e->index].kind != 4 || !rgb || rgb->mode < 1 || rgb->mode > 3)
        return false;
    if (takeWriteFailure())
        return false;
    const QString id = m_world.receivers[e->index].id;
    const int mode = rgb->mode;
    const int interval = intervalUs(*e);
    const bool linked = m_link.open && m_link.path == e->path;
    const bool ok = mutate([&](World& w, QString*) {
        w.receiver(id)->lightMode = mode;
        return true;
    }, nullptr);
    if (ok && linked) {
        DongleRGB now{};
        const World::Receiver* r = m_world.receiver(id);
        now.mode = (unsigned char)r->lightMode;
        now.libraryData[0] = (unsigned char)r->kind;
        std::memcpy(now.libraryData + 1, r->address, 3);
        postReport(kReceiverLight, 0, QByteArray(reinterpret_cast<const char*>(&now), sizeof(now)));
    }
    sleepOutsideLock(lock, interval);
    return ok;
}

bool Simulator::receiverLight(const char* path, DongleRGB* rgb)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !e->receiver || m_world.receivers[e->index].kind != 4 || !rgb)
        return false;
    const World::Receiver& r = m_world.receivers[e->index];
    std::memset(rgb, 0, sizeof(DongleRGB));
    rgb->mode = (unsigned char)r.lightMode;
    rgb->libraryData[0] = (unsigned char)r.kind;
    std::memcpy(rgb->libraryData + 1, r.address, 3);
    sleepOutsideLock(lock, intervalUs(*e));
    return true;
}

bool Simulator::setLongRange(const char* path, bool on)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !e->receiver)
        return false;
    if (takeWriteFailure())
        return false;
    const QString id = m_world.receivers[e->index].id;
    const int interval = intervalUs(*e);
    const bool linked = m_link.open && m_link.path == e->path;
    const bool ok = mutate([&](World& w, QString*) {
        w.receiver(id)->longRange = on;
        return true;
    }, nullptr);
    if (ok && linked && !on) {
        QByteArray data(10, '\0');
        std::memcpy(data.data() + 1, m_world.receiver(id)->address, 3);
        postReport(kLongRangeOff, 0, data);
    }
    sleepOutsideLock(lock, interval);
    return ok;
}

bool Simulator::longRange(const char* path, unsigned char* mode)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    if (!e || !e->receiver || !mode)
        return false;
    *mode = m_world.receivers[e->index].longRange ? 1 : 0;
    sleepOutsideLock(lock, intervalUs(*e));
    return true;
}

bool Simulator::pairByCable(const char* mousePath, const unsigned char* address)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(mousePath);
    if (!e || e->receiver || !address)
        return false;
    QString receiverId;
    for (const World::Receiver& r : m_world.receivers)
        if (std::memcmp(r.address, address, 3) == 0)
            receiverId = r.id;
    if (receiverId.isEmpty() || takeWriteFailure())
        return false;
    const QString mouseId = m_world.mice[e->index].id;
    const int interval = intervalUs(*e);
    const bool ok = mutate([&](World& w, QString* error) { return pairWorld(w, mouseId, receiverId, error); },
                           nullptr);
    sleepOutsideLock(lock, interval);
    return ok;
}

bool Simulator::openDevice(const char* path)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return endpoint(path) != nullptr;
}

int Simulator::rawRequest(const char* path, const unsigned char* request, int requestLength,
                          unsigned char* reply, int replyCapacity)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Endpoint* e = endpoint(path);
    const World::Mouse* m = e ? mouseBehind(*e) : nullptr;
    if (!m || !request || requestLength < 1 || !reply)
        return -1;
    int length = -1;
    if (request[0] == 0x01 && replyCapacity >= 3) {
        const World::Receiver* r = receiverAt(*e);
        reply[0] = (unsigned char)(r ? r->cid : m->cid);
        reply[1] = (unsigned char)(r ? r->mid : m->mid);
        reply[2] = (unsigned char)connectionType(*e);
        length = 3;
    } else if (request[0] == 0x08 && requestLength >= 4) {
        const int address = request[1] << 8 | request[2];
        const int n = request[3];
        if (n >= 1 && n <= FlashLayout::kReportSize && n <= replyCapacity
            && address + n <= FlashLayout::kFlashSize) {
            const SimStore::MouseFlash f = loadFlash(m->id);
            std::memcpy(reply, f.profiles[f.currentProfile].constData() + address, size_t(n));
            length = n;
        }
    }
    if (length >= 0)
        sleepOutsideLock(lock, intervalUs(*e));
    return length;
}

// ---------------------------------------------------------------- link

bool Simulator::startLink(const char* path, UsbDataCallback callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Requests are served in the order they were made: what the old link still
    // sends goes first.
    const Clock::time_point busy = std::max(Clock::now(), m_link.busyUntil);
    m_link = Link();
    m_link.open = true;
    m_link.path = path ? std::string(path) : std::string();
    m_link.callback = callback;
    m_link.generation = ++m_linkGeneration;
    m_link.busyUntil = busy;
    return endpoint(m_link.path) != nullptr;
}

void Simulator::exitLink()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point busy = m_link.busyUntil;
    m_link = Link();
    m_link.generation = ++m_linkGeneration;
    m_link.busyUntil = busy;
}

void Simulator::setDriverStatus(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_link.driverStatus = on;
}

void Simulator::setBatteryOptimize(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_link.batteryOptimize = on;
}

const World::Mouse* Simulator::linkedMouse() const
{
    if (!m_link.open)
        return nullptr;
    const Endpoint* e = endpoint(m_link.path);
    return e ? mouseBehind(*e) : nullptr;
}

void Simulator::linkRequest(int reports, bool needsMouse, std::function<void()> done, bool outlivesLink)
{
    if (!m_link.open)
        return;
    const Endpoint* e = endpoint(m_link.path);
    if (!e || (needsMouse && !endpointOnline(*e)) || (!needsMouse && !e->receiver))
        return;
    const Clock::time_point start = std::max(Clock::now(), m_link.busyUntil);
    const Clock::time_point end =
        start + scaled(double(reports) * intervalUs(*e)) + std::chrono::microseconds(m_extraLatencyUs);
    m_link.busyUntil = end;
    const quint64 generation = m_link.generation;
    scheduleAt(end, [this, generation, done, outlivesLink] {
        if (outlivesLink || (m_link.open && m_link.generation == generation))
            done();
    });
}

void Simulator::postReport(int type, int address, const QByteArray& data)
{
    if (!m_link.open || !m_link.callback)
        return;
    const quint64 generation = m_link.generation;
    const UsbDataCallback callback = m_link.callback;
    // Plain bytes cross to the callback thread, never a shared Qt buffer.
    std::vector<unsigned char> header = {0xA5, (unsigned char)type, m_sequence++, (unsigned char)(address >> 8),
                                         (unsigned char)(address & 0xFF)};
    std::vector<unsigned char> buffer(data.begin(), data.end());
    const unsigned int length = (unsigned int)buffer.size();
    buffer.resize(std::max<size_t>(buffer.size(), FlashLayout::kReportSize), 0);
    m_reports.post([this, generation, callback, header, buffer, length]() mutable {
        if (m_linkGeneration.load() == generation)
            callback(header.data(), int(header.size()), buffer.data(), length);
    });
}

void Simulator::postConnected()
{
    const Endpoint* e = endpoint(m_link.path);
    if (!e)
        return;
    QByteArray data(4, '\0');
    data[0] = char(connectionType(*e));
    const World::Receiver* r = e->receiver ? &m_world.receivers[e->index]
                                           : m_world.receiver(m_world.mice[e->index].pairedTo);
    if (r)
        std::memcpy(data.data() + 1, r->address, 3);
    postReport(kConnected, 0, data);
}

void Simulator::read(Read what)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto flashBytes = [this](int address, int length) {
        const World::Mouse* m = linkedMouse();
        if (!m)
            return;
        const SimStore::MouseFlash f = loadFlash(m->id);
        postReport(kFlashRead, address, f.profiles[f.currentProfile].mid(address, length));
    };
    switch (what) {
    case Read::AllFlash:
        linkRequest(kFlashReports, true, [flashBytes] { flashBytes(0, FlashLayout::kFlashSize); });
        break;
    case Read::ReportRate:
        linkRequest(1, true, [flashBytes] { flashBytes(FlashLayout::kReportRateAddress, 1); });
        break;
    case Read::CurrentDpi:
        linkRequest(1, true, [flashBytes] { flashBytes(FlashLayout::kActiveStageAddress, 1); });
        break;
    case Read::DpiLed:
        linkRequest(1, true, [flashBytes] { flashBytes(FlashLayout::kDpiLedAddress, FlashLayout::kDpiLedLength); });
        break;
    case Read::LedBar:
        linkRequest(1, true, [flashBytes] { flashBytes(FlashLayout::kLedBarAddress, FlashLayout::kLedBarLength); });
        break;
    case Read::Config:
        linkRequest(1, true, [this] {
            if (const World::Mouse* m = linkedMouse())
                postReport(kConfiguration, 0, oneByte(loadFlash(m->id).currentProfile));
        });
        break;
    case Read::Version:
        linkRequest(1, true, [this] {
            if (const World::Mouse* m = linkedMouse()) {
                QByteArray data(2, '\0');
                data[0] = char(m->firmware >> 8);
                data[1] = char(m->firmware & 0xFF);
                postReport(kVersion, 0, data);
            }
        });
        break;
    case Read::Battery:
        linkRequest(1, true, [this] {
            if (const World::Mouse* m = linkedMouse()) {
                QByteArray data(4, '\0');
                data[0] = char((m->charging ? 1 : 0) | (m->battery >= 100 ? 2 : 0));
                data[1] = char(m->battery);
                putLe16(reinterpret_cast<unsigned char*>(data.data()) + 2, m->batteryMillivolts());
                postReport(kBattery, 0, data);
            }
        });
        break;
    case Read::PairStatus:
        linkRequest(1, false, [this] {
            const Endpoint* e = endpoint(m_link.path);
            if (!e || !e->receiver)
                return;
            const auto it = m_pairing.find(m_world.receivers[e->index].id);
            postReport(kPairStatus, 0, oneByte(it == m_pairing.end() ? 0 : it->second.status));
        });
        break;
    }
}

bool Simulator::writeImage(const FlashDataMap* image)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!image || !linkedMouse() || takeWriteFailure())
        return false;
    QByteArray flash;
    if (!FlashLayout::pack(*image, &flash))
        return false;
    // Once sent, the image reaches the mouse even when the link is restarted (the
    // device thread does so for each new pass) or closed meanwhile; only a mouse
    // that is gone by the end of the transfer misses it.
    const std::string path = m_link.path;
    linkRequest(kFlashReports, true, [this, path, flash] {
        const Endpoint* e = endpoint(path);
        const World::Mouse* m = e ? mouseBehind(*e) : nullptr;
        if (!m)
            return;
        const QString id = m->id;
        m_store.lock();
        SimStore::MouseFlash f = loadFlash(id);
        f.profiles[f.currentProfile] = flash;
        saveFlash(id, f);
        m_store.unlock();
    }, true);
    return true;
}

void Simulator::clearSettings()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!linkedMouse() || takeWriteFailure())
        return;
    linkRequest(1, true, [this] {
        const World::Mouse* m = linkedMouse();
        if (!m)
            return;
        const QString id = m->id;
        SimStore::MouseFlash f;
        for (QByteArray& p : f.profiles)
            p = FlashLayout::factoryFlash(m->mid);
        m_store.lock();
        saveFlash(id, f);
        m_store.unlock();
        beginRestart(id);
    });
}

void Simulator::beginRestart(const QString& mouseId)
{
    const Snapshot before = snapshot();
    const Clock::time_point until = Clock::now() + scaled(kRestartUs);
    m_restartUntil[mouseId] = until;
    react(before, snapshot());
    scheduleAt(until, [this, mouseId] {
        const auto it = m_restartUntil.find(mouseId);
        if (it == m_restartUntil.end() || it->second > Clock::now())
            return;
        const Snapshot before = snapshot();
        m_restartUntil.erase(it);
        react(before, snapshot());
    });
}

void Simulator::setProfile(unsigned char profile)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!linkedMouse() || takeWriteFailure())
        return;
    linkRequest(1, true, [this, profile] {
        const World::Mouse* m = linkedMouse();
        if (!m || profile >= FlashLayout::kProfileCount)
            return;
        const QString id = m->id;
        m_store.lock();
        SimStore::MouseFlash f = loadFlash(id);
        const bool changed = f.currentProfile != profile;
        f.currentProfile = profile;
        if (changed)
            saveFlash(id, f);
        m_store.unlock();
        postReport(kConfiguration, 0, oneByte(profile));
        if (changed)
            postReport(kStatusChanged, 0, oneByte(kFlagRefresh));
    });
}

// ---------------------------------------------------------------- pairing

void Simulator::enterPairing(unsigned char cid)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    linkRequest(1, false, [this, cid] {
        const Endpoint* e = endpoint(m_link.path);
        if (!e || !e->receiver)
            return;
        Pairing& p = m_pairing[m_world.receivers[e->index].id];
        const Clock::time_point now = Clock::now();
        p.status = 1;
        p.cid = cid;
        p.readyAt = now + scaled(kPairReadyUs);
        p.deadline = now + scaled(kPairTimeoutUs);
        scheduleAt(p.readyAt, [this] { checkPairing(); });
        scheduleAt(p.deadline, [this] { checkPairing(); });
        checkPairing();
    });
}

void Simulator::checkPairing()
{
    const Clock::time_point now = Clock::now();
    std::vector<std::pair<QString, QString>> completed;  // receiver, mouse
    for (auto& entry : m_pairing) {
        Pairing& p = entry.second;
        if (p.status != 1)
            continue;
        const World::Receiver* r = m_world.receiver(entry.first);
        if (!r || !r->plugged || r->bootLoader) {
            p.status = 2;
            continue;
        }
        const World::Mouse* found = nullptr;
        for (const World::Mouse& m : m_world.mice)
            if (m.pairing && m.cid == p.cid && m.receiverKind == r->kind && m.powered && !m.bootLoader)
                found = &m;
        if (found && now >= p.readyAt) {
            p.status = 3;
            completed.emplace_back(entry.first, found->id);
        } else if (now >= p.deadline) {
            p.status = 2;
        }
    }
    for (const auto& c : completed)
        mutate([&](World& w, QString* error) { return pairWorld(w, c.second, c.first, error); }, nullptr);
}

bool Simulator::pairWorld(World& w, const QString& mouseId, const QString& receiverId, QString* error)
{
    World::Mouse* m = w.mouse(mouseId);
    World::Receiver* r = w.receiver(receiverId);
    if (!m || !r) {
        *error = "no such mouse or receiver";
        return false;
    }
    if (m->receiverKind != r->kind) {
        *error = QString("mouse %1 does not work with a %2K receiver").arg(m->id).arg(r->kind);
        return false;
    }
    for (World::Mouse& other : w.mice)
        if (other.pairedTo == r->id)
            other.pairedTo.clear();
    m->pairedTo = r->id;
    m->pairing = false;
    r->cid = m->cid;
    r->mid = m->mid;
    return true;
}

// ---------------------------------------------------------------- device change

void Simulator::noteDeviceChange()
{
    if (!m_changeCallback || m_burstPending)
        return;
    m_burstPending = true;
    scheduleAt(Clock::now() + scaled(double(m_changeIntervalMs) * 1000.0), [this] {
        m_burstPending = false;
        postChange();
    });
}

void Simulator::postChange()
{
    if (!m_changeCallback)
        return;
    const quint64 generation = m_changeGeneration.load();
    const UsbChangedCallback callback = m_changeCallback;
    m_changes.post([this, generation, callback] {
        if (m_changeGeneration.load() == generation)
            callback();
    });
}

void Simulator::startChanged(UsbChangedCallback callback, int intervalMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_changeGeneration;
    m_changeCallback = callback;
    m_changeIntervalMs = std::max(0, intervalMs);
    postChange();
}

void Simulator::stopChanged()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_changeGeneration;
    m_changeCallback = nullptr;
}

// ---------------------------------------------------------------- firmware

bool Simulator::fits(const FirmwareImage& image, const World::Mouse& m) const
{
    return image.type == FirmwareImage::kMouse && image.cid == m.cid && image.mid == m.mid
        && image.modelName == m.modelName();
}

bool Simulator::fits(const FirmwareImage& image, const World::Receiver& r) const
{
    return image.type == FirmwareImage::kReceiver && image.cid == r.cid && image.mid == r.mid
        && image.modelName == r.modelName();
}

int Simulator::findBootDevices(const unsigned char* image, int* count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    FirmwareImage header;
    int n = 0;
    if (header.read(image, false)) {
        for (const World::Mouse& m : m_world.mice)
            n += (m.bootLoader && m.cable && m.powered && fits(header, m)) ? 1 : 0;
        for (const World::Receiver& r : m_world.receivers)
            n += (r.bootLoader && r.plugged && fits(header, r)) ? 1 : 0;
    }
    if (count)
        *count = n;
    return n;
}

void Simulator::setLogLine(int line, const QString& text)
{
    m_upgradeLog[line] = text;
}

void Simulator::postProgress(int kind, int value)
{
    const UsbUpgradeCallback callback = m_upgrade.callback;
    const quint64 generation = m_upgrade.generation;
    if (!callback)
        return;
    m_progress.post([this, callback, generation, kind, value] {
        if (m_upgradeGeneration.load() != generation)
            return;
        unsigned char message[3] = {7, (unsigned char)kind, (unsigned char)value};
        callback(message);
    });
}

bool Simulator::startUpgrade(const unsigned char* image, UsbUpgradeCallback callback, int timeoutMs)
{
    Q_UNUSED(timeoutMs)
    std::lock_guard<std::mutex> lock(m_mutex);
    FirmwareImage img;
    if (!img.read(image, true) || m_upgrade.running)
        return false;

    QString target;
    bool mouse = img.type == FirmwareImage::kMouse;
    bool fromBoot = false;
    for (const World::Mouse& m : m_world.mice)
        if (target.isEmpty() && m.bootLoader && m.cable && m.powered && fits(img, m)) {
            target = m.id;
            fromBoot = true;
        }
    for (const World::Receiver& r : m_world.receivers)
        if (target.isEmpty() && r.bootLoader && r.plugged && fits(img, r)) {
            target = r.id;
            fromBoot = true;
        }
    if (target.isEmpty() && mouse) {
        for (const World::Mouse& m : m_world.mice)
            if (target.isEmpty() && m.cable && !m.bootLoader && fits(img, m))
                target = m.id;
    } else if (target.isEmpty()) {
        for (const World::Receiver& r : m_world.receivers)
            if (target.isEmpty() && r.plugged && !r.bootLoader && fits(img, r))
                target = r.id;
    }

    m_upgrade = Upgrade();
    m_upgrade.generation = ++m_upgradeGeneration;
    m_upgrade.callback = callback;
    m_upgrade.image = img;
    m_upgrade.mouse = mouse;
    m_upgrade.target = target;
    for (int i = 0; i < kLogLines; ++i)
        setLogLine(i, "-");
    setLogLine(0, QString("Image: %1 firmware %2 %3 for customer %4, model %5, %6 bytes")
                      .arg(mouse ? "mouse" : "receiver", img.modelName, img.versionText())
                      .arg(img.cid).arg(img.mid).arg(img.payloadLength));
    if (target.isEmpty()) {
        setLogLine(1, "Device: none connected fits the image");
        setLogLine(7, "Result: failed, no device to update");
        postProgress(2, 0);
        return false;
    }
    setLogLine(1, QString("Device: %1 %2%3").arg(mouse ? "mouse" : "receiver", target,
                                                 fromBoot ? " (in the boot loader)" : ""));
    m_upgrade.running = true;
    // Taken by this transfer only; kept in the folder until then.
    m_upgrade.failAt = m_world.failUpdateAt;
    if (m_world.failUpdateAt >= 0)
        mutate([](World& w, QString*) { w.failUpdateAt = -1; return true; }, nullptr);
    const int blocks = std::max(1, int((img.payloadLength + 63) / 64));
    m_upgrade.step = scaled(kBlockWriteUs * blocks / 100.0);
    const quint64 generation = m_upgrade.generation;
    scheduleAt(Clock::now() + scaled(kEnterBootUs), [this, generation] {
        if (m_upgrade.generation != generation || !m_upgrade.running)
            return;
        enterBootLoader(m_upgrade.target, m_upgrade.mouse);
        setLogLine(2, "Boot loader: entered");
        postProgress(1, 0);
        scheduleAt(Clock::now() + scaled(kEraseUs), [this, generation] {
            if (m_upgrade.generation != generation || !m_upgrade.running)
                return;
            setLogLine(3, "Erase: done");
            upgradeStep(generation, 1);
        });
    });
    return true;
}

void Simulator::upgradeStep(quint64 generation, int percent)
{
    scheduleAt(Clock::now() + m_upgrade.step, [this, generation, percent] {
        if (m_upgrade.generation != generation || !m_upgrade.running)
            return;
        m_upgrade.percent = percent;
        const uint32_t written = uint32_t(qint64(m_upgrade.image.payloadLength) * percent / 100);
        setLogLine(4, QString("Write: %1 of %2 bytes").arg(written).arg(m_upgrade.image.payloadLength));
        if (m_upgrade.failAt >= 0 && percent >= m_upgrade.failAt) {
            finishUpgrade(false, percent);
            return;
        }
        postProgress(1, percent);
        if (percent < 100) {
            upgradeStep(generation, percent + 1);
            return;
        }
        const uint32_t crc = FirmwareImage::crc32(m_upgrade.image.payload);
        const bool ok = crc == m_upgrade.image.payloadCrc;
        setLogLine(5, ok ? QString("Verify: CRC-32 %1 matches").arg(crc, 8, 16, QChar('0'))
                         : QString("Verify: CRC-32 %1 differs from the image's %2")
                               .arg(crc, 8, 16, QChar('0'))
                               .arg(m_upgrade.image.payloadCrc, 8, 16, QChar('0')));
        if (!ok) {
            finishUpgrade(false, percent);
            return;
        }
        scheduleAt(Clock::now() + scaled(kBootRestartUs), [this, generation] {
            if (m_upgrade.generation == generation && m_upgrade.running)
                finishUpgrade(true, 100);
        });
    });
}

void Simulator::finishUpgrade(bool success, int percent)
{
    if (success) {
        const QString target = m_upgrade.target;
        const bool toMouse = m_upgrade.mouse;
        const int word = m_upgrade.image.deviceVersionWord();
        mutate([&](World& w, QString*) {
            if (toMouse && w.mouse(target)) {
                w.mouse(target)->bootLoader = false;
                w.mouse(target)->firmware = word;
            } else if (!toMouse && w.receiver(target)) {
                w.receiver(target)->bootLoader = false;
                w.receiver(target)->firmware = word;
            }
            return true;
        }, nullptr);
        setLogLine(6, "Restart: running " + World::versionText(word));
        setLogLine(7, "Result: success");
    } else {
        setLogLine(6, "Restart: stays in the boot loader");
        setLogLine(7, QString("Result: failed at %1 %").arg(percent));
    }
    postProgress(2, success ? 1 : 0);
    m_upgrade.running = false;
}

bool Simulator::upgradeTargetPresent() const
{
    if (m_upgrade.mouse) {
        const World::Mouse* m = m_world.mouse(m_upgrade.target);
        return m && m->cable && m->powered;
    }
    const World::Receiver* r = m_world.receiver(m_upgrade.target);
    return r && r->plugged;
}

void Simulator::loseUpgradeTarget()
{
    // Ended at once (no later step of this transfer runs); the boot loader is
    // marked from the engine, outside the change that took the device away.
    const QString target = m_upgrade.target;
    const bool toMouse = m_upgrade.mouse;
    const quint64 generation = m_upgrade.generation;
    setLogLine(5, QString("Connection: %1 lost during the transfer").arg(target));
    finishUpgrade(false, m_upgrade.percent);
    scheduleAt(Clock::now(), [this, generation, target, toMouse] {
        if (m_upgrade.generation == generation)
            enterBootLoader(target, toMouse);
    });
}

void Simulator::enterBootLoader(const QString& target, bool toMouse)
{
    mutate([&](World& w, QString*) {
        if (toMouse && w.mouse(target))
            w.mouse(target)->bootLoader = true;
        else if (!toMouse && w.receiver(target))
            w.receiver(target)->bootLoader = true;
        return true;
    }, nullptr);
}

char** Simulator::upgradeLogs()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> lines;
    for (const QString& l : m_upgradeLog)
        lines.push_back(l.toLatin1().toStdString());
    return m_pool.internArray(lines);
}

// ---------------------------------------------------------------- controls

bool Simulator::reset(const QByteArray& json, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    World w;
    QString localError;
    if (!World::fromJson(json, &w, error ? error : &localError))
        return false;
    m_link = Link();
    m_link.generation = ++m_linkGeneration;
    m_changeCallback = nullptr;
    ++m_changeGeneration;
    m_burstPending = false;
    m_timers.clear();
    m_restartUntil.clear();
    m_pairing.clear();
    m_upgrade = Upgrade();
    m_upgrade.generation = ++m_upgradeGeneration;
    for (QString& l : m_upgradeLog)
        l.clear();
    m_failWrites = 0;
    m_store.lock();
    m_store.removeAllFlash();
    const bool saved = m_store.replaceWorld(w.toJson(), error ? error : &localError);
    m_store.unlock();
    if (saved)
        m_lastLoadError.clear();
    setWorld(w);
    m_log.clear();
    return saved;
}

QByteArray Simulator::scenario()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pollWorldFile();
    return m_world.toJson();
}

void Simulator::reload()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    World w;
    QString error;
    if (!m_store.loadWorld(&w, &error)) {
        qWarning("hidsim: %s", qPrintable(error));
        return;
    }
    const Snapshot before = snapshot();
    setWorld(w);
    react(before, snapshot());
}

QString Simulator::directory()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_store.directory();
}

QStringList Simulator::deviceIds()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pollWorldFile();
    QStringList ids;
    for (const World::Mouse& m : m_world.mice)
        ids << m.id;
    for (const World::Receiver& r : m_world.receivers)
        ids << r.id;
    return ids;
}

QString Simulator::scenarioError()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pollWorldFile();
    return m_lastLoadError;
}

QString Simulator::describe()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pollWorldFile();
    QString out = QString("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                      .arg("ID", -8).arg("DEVICE", -9).arg("MODEL", -9).arg("FIRMWARE", -9)
                      .arg("CONNECTION", -16).arg("STATE", -12).arg("BATTERY", -14)
                      .arg("RECEIVER SETTINGS", -23).arg("PATH");
    auto line = [&out](const QString& id, const QString& kind, const QString& model, int firmware,
                       const QString& connection, const QString& state, const QString& battery,
                       const QString& settings, const QString& path) {
        out += QString("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                   .arg(id, -8).arg(kind, -9).arg(model, -9).arg(World::versionText(firmware), -9)
                   .arg(connection, -16).arg(state, -12).arg(battery, -14).arg(settings, -23).arg(path);
    };
    for (const World::Mouse& m : m_world.mice) {
        QString connection = m.cable ? "cable" : m.pairedTo.isEmpty() ? "-" : "via " + m.pairedTo;
        QString state = m.bootLoader ? "boot-loader" : !m.powered && !m.cable ? "off" : "on";
        if (m.pairing)
            state += ",pairing";
        const QString battery = QString("%1%%2").arg(m.battery).arg(m.charging ? " charging" : "");
        const Endpoint* e = m.cable && !m.bootLoader ? endpoint(m_world.cablePath(m)) : nullptr;
        line(m.id, "mouse", m.modelName(), m.firmware, connection, state, battery, "-",
             e ? QString::fromLatin1(e->path.c_str()) : "-");
    }
    for (const World::Receiver& r : m_world.receivers) {
        const World::Mouse* m = m_world.pairedMouse(r);
        const QString connection = QString("%1K%2").arg(r.kind).arg(m ? ", mouse " + m->id : "");
        const Endpoint* e = endpoint(m_world.receiverPath(r));
        const QString state = r.bootLoader ? "boot-loader" : !r.plugged ? "unplugged"
                              : e && endpointOnline(*e) ? "online" : "offline";
        // Only a 4K receiver has a light of its own.
        QString settings = QString("long range %1").arg(r.longRange ? "on" : "off");
        if (r.kind == 4)
            settings = QString("light %1, ").arg(r.lightMode) + settings;
        line(r.id, "receiver", r.modelName(), r.firmware, connection, state, "-", settings,
             e ? QString::fromLatin1(e->path.c_str()) : "-");
    }
    return out;
}

QByteArray Simulator::pathOf(const QString& id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pollWorldFile();
    if (const World::Mouse* m = m_world.mouse(id)) {
        if (const Endpoint* e = endpoint(m_world.cablePath(*m)))
            return QByteArray(e->path.c_str());
    } else if (const World::Receiver* r = m_world.receiver(id)) {
        if (const Endpoint* e = endpoint(m_world.receiverPath(*r)))
            return QByteArray(e->path.c_str());
    }
    return QByteArray();
}

bool Simulator::plug(const QString& id, bool in, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return mutate([&](World& w, QString* err) {
        if (World::Mouse* m = w.mouse(id)) {
            if (!in && !m->cable) {
                *err = "mouse " + id + " is not on its cable";
                return false;
            }
            if (m->cable != in)
                m->charging = in && m->battery < 100;
            m->cable = in;
            return true;
        }
        if (World::Receiver* r = w.receiver(id)) {
            if (!in && !r->plugged) {
                *err = "receiver " + id + " is not plugged in";
                return false;
            }
            r->plugged = in;
            return true;
        }
        *err = "no device \"" + id + "\"";
        return false;
    }, error);
}

bool Simulator::setPowered(const QString& id, bool on, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return mutate([&](World& w, QString* err) {
        World::Mouse* m = w.mouse(id, err);
        if (!m)
            return false;
        m->powered = on;
        if (!on)
            m->pairing = false;
        return true;
    }, error);
}

bool Simulator::setBattery(const QString& id, int level, bool charging, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return mutate([&](World& w, QString* err) {
        World::Mouse* m = w.mouse(id, err);
        if (!m)
            return false;
        if (level < 0 || level > 100) {
            *err = "the battery level is 0..100";
            return false;
        }
        m->battery = level;
        m->charging = charging;
        return true;
    }, error);
}

bool Simulator::pressButton(const QString& id, Button button, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return mutate([&](World& w, QString* err) {
        World::Mouse* m = w.mouse(id, err);
        if (!m)
            return false;
        if ((!m->powered && !m->cable) || m->bootLoader) {
            *err = "mouse " + id + " is switched off";
            return false;
        }
        // The mouse changes its own flash, then tells the computer (report 10).
        SimStore::MouseFlash f = loadFlash(id);
        QByteArray& p = f.profiles[f.currentProfile];
        switch (button) {
        case Button::Dpi: {
            const int count = qBound(1, int(uchar(p[FlashLayout::kStageCountAddress])), 8);
            p[FlashLayout::kActiveStageAddress] =
                char((uchar(p[FlashLayout::kActiveStageAddress]) + 1) % count);
            ++m->dpiPresses;
            break;
        }
        case Button::Rate: {
            const QByteArray rates = FlashLayout::rateCycle(m->receiverKind);
            const int at = rates.indexOf(p[FlashLayout::kReportRateAddress]);
            p[FlashLayout::kReportRateAddress] = rates[(at + 1) % rates.size()];
            ++m->ratePresses;
            break;
        }
        case Button::Light:
            FlashLayout::nextLightBarMode(reinterpret_cast<unsigned char*>(p.data()));
            ++m->lightPresses;
            break;
        }
        saveFlash(id, f);
        return true;
    }, error);
}

bool Simulator::switchProfile(const QString& id, int profile, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return mutate([&](World& w, QString* err) {
        World::Mouse* m = w.mouse(id, err);
        if (!m)
            return false;
        if (profile < 0 || profile >= FlashLayout::kProfileCount) {
            *err = QString("the mouse has profiles 0..%1").arg(FlashLayout::kProfileCount - 1);
            return false;
        }
        if ((!m->powered && !m->cable) || m->bootLoader) {
            *err = "mouse " + id + " is switched off";
            return false;
        }
        SimStore::MouseFlash f = loadFlash(id);
        if (f.currentProfile != profile) {
            f.currentProfile = profile;
            saveFlash(id, f);
            ++m->profileSwitches;
        }
        return true;
    }, error);
}

bool Simulator::pair(const QString& mouseId, const QString& receiverId, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return mutate([&](World& w, QString* err) {
        World::Mouse* m = w.mouse(mouseId, err);
        if (!m)
            return false;
        if (m->receiverKind == 0) {
            *err = "mouse " + mouseId + " is a wired model";
            return false;
        }
        if (receiverId.isEmpty()) {
            if (!m->powered) {
                *err = "mouse " + mouseId + " is switched off";
                return false;
            }
            m->pairing = true;
            return true;
        }
        return pairWorld(w, mouseId, receiverId, err);
    }, error);
}

QByteArray Simulator::configImage(const QString& id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    runDueTimers();
    pollWorldFile();
    if (!m_world.mouse(id))
        return QByteArray();
    const SimStore::MouseFlash f = loadFlash(id);
    FlashDataMap image;
    FlashLayout::unpack(reinterpret_cast<const unsigned char*>(f.profiles[f.currentProfile].constData()), &image);
    return QByteArray(reinterpret_cast<const char*>(&image), sizeof(image));
}

QByteArray Simulator::flash(const QString& id, int profile)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    runDueTimers();
    pollWorldFile();
    if (!m_world.mouse(id) || profile >= FlashLayout::kProfileCount)
        return QByteArray();
    const SimStore::MouseFlash f = loadFlash(id);
    return f.profiles[profile < 0 ? f.currentProfile : profile];
}

int Simulator::currentProfile(const QString& id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_world.mouse(id) ? loadFlash(id).currentProfile : -1;
}

bool Simulator::injectReport(const QByteArray& header, const QByteArray& data)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_link.open || !m_link.callback)
        return false;
    const quint64 generation = m_link.generation;
    const UsbDataCallback callback = m_link.callback;
    std::vector<unsigned char> h(header.begin(), header.end());
    std::vector<unsigned char> d(data.begin(), data.end());
    const int headerLength = int(h.size());
    const unsigned int dataLength = (unsigned int)d.size();
    h.resize(std::max<size_t>(h.size(), 8), 0);
    d.resize(std::max<size_t>(d.size(), FlashLayout::kReportSize), 0);
    m_reports.post([this, generation, callback, h, d, headerLength, dataLength]() mutable {
        if (m_linkGeneration.load() == generation)
            callback(h.data(), headerLength, d.data(), dataLength);
    });
    return true;
}

void Simulator::failWrites(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failWrites = std::max(0, count);
}

void Simulator::failNextFirmware(int atPercent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const int at = atPercent < 0 ? -1 : qMin(atPercent, 100);
    mutate([at](World& w, QString*) { w.failUpdateAt = at; return true; }, nullptr);
}

bool Simulator::setBootLoader(const QString& id, bool on, QString* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_upgrade.running && m_upgrade.target == id) {
        *error = id + " is being updated";
        return false;
    }
    return mutate([&](World& w, QString* err) {
        if (World::Mouse* m = w.mouse(id)) {
            m->bootLoader = on;
            return true;
        }
        if (World::Receiver* r = w.receiver(id)) {
            r->bootLoader = on;
            return true;
        }
        *err = "no device \"" + id + "\"";
        return false;
    }, error);
}

void Simulator::setTimeScale(double factor)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scale = (factor >= 0 && std::isfinite(factor)) ? factor : 1.0;
}

double Simulator::timeScale()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_scale;
}

void Simulator::setExtraLatency(int us)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_extraLatencyUs = std::max(0, us);
}
