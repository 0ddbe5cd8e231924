// Reports of the linked device: any header and data, delivered through the
// device library's report injection to the report handler, with the link, the
// simulated devices and the shipped catalogue as the program has them.
//
// Input: byte 0 modulo 9 is the header length (0..8), then the header bytes,
// then the data.
#include "FuzzSupport.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/DeviceDiscovery.h"
#include "device/ReportHandler.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QFile>
#include <QMutexLocker>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <condition_variable>
#include <mutex>

using hidsim::HidSimControl;

namespace {

// Longer than any fuzzed header, so the marker cannot be mistaken for one.
constexpr int kMarkerHeaderLength = 12;

std::mutex g_markerMutex;
std::condition_variable g_markerSeen;
unsigned long long g_markersSeen = 0;
unsigned long long g_markersSent = 0;

std::atomic<int> g_inCallback{0};
std::atomic<bool> g_closing{false};

// The link's callback: the report handler, except for the marker that tells
// the input's report has been handled (reports are delivered in order).
void onReport(unsigned char* header, int headerLength, unsigned char* data, unsigned int dataLength)
{
    ++g_inCallback;
    if (g_closing) {
        --g_inCallback;
        return;
    }
    if (headerLength == kMarkerHeaderLength) {
        std::lock_guard<std::mutex> lock(g_markerMutex);
        ++g_markersSeen;
        g_markerSeen.notify_all();
    } else {
        OnHidReport(header, headerLength, data, dataLength);
    }
    --g_inCallback;
}

// Delivers one report and returns once the handler is done with it. Answers
// to the requests it makes may still be on their way.
void deliver(const QByteArray& header, const QByteArray& data)
{
    if (!HidSimControl::injectReport(header, data)
        || !HidSimControl::injectReport(QByteArray(kMarkerHeaderLength, '\0'), QByteArray()))
        FuzzSupport::fail("the link was closed");
    std::unique_lock<std::mutex> lock(g_markerMutex);
    const unsigned long long expected = ++g_markersSent;
    if (!g_markerSeen.wait_for(lock, std::chrono::seconds(20), [&] { return g_markersSeen >= expected; }))
        FuzzSupport::fail("a report was not handled within 20 s");
}

// Answers still arriving at exit would meet Qt's statics half torn down.
void closeLink()
{
    g_closing = true;
    UsbServer_Exit();
    while (g_inCallback.load() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// One report of each kind, with the answers they bring, before closeLink is
// registered: what they first use of Qt then outlives it at exit.
void warmUp()
{
    const auto header = [](int type, int address) {
        return QByteArray::fromHex("A5") + char(type) + char(1) + char(address >> 8) + char(address & 0xFF);
    };
    deliver(header(4, 0), QByteArray::fromHex("01390E10"));
    deliver(header(8, 0), QByteArray(1, char(8)));
    deliver(header(9, 0), QByteArray::fromHex("014C1104"));
    deliver(header(10, 0), QByteArray(1, char(0x7F)));
    deliver(header(14, 0), QByteArray(1, char(1)));
    deliver(header(18, 0), QByteArray::fromHex("0103"));
    deliver(header(21, 0), QByteArray(10, char(1)));
    deliver(header(23, 0), QByteArray(10, char(0)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::atexit(closeLink);
}

// Lists the devices as the list page does and links the 4K receiver's mouse
// (the path with the most to do on a connect), else the first one listed.
void linkDevice()
{
    DeviceDiscovery::ScanDeviceList();
    for (int i = 0; i < g_DeviceList.size(); ++i)
        DeviceDiscovery::RefreshDevice(i);
    if (g_DeviceList.isEmpty())
        FuzzSupport::fail("no simulated device is listed");
    DeviceAllInfo chosen = g_DeviceList.first();
    const QString preferred = QString::fromLatin1(HidSimControl::path(QStringLiteral("r11")));
    for (const DeviceAllInfo& entry : qAsConst(g_DeviceList)) {
        if (entry.path == preferred)
            chosen = entry;
    }
    {
        QMutexLocker lock(&g_CurrentDeviceMutex);
        g_CurrentDevice = chosen;
    }
    const char* path = setDevicePath(chosen.path);
    if (!UsbServerC_Start(path, path, onReport))
        FuzzSupport::fail("no link to the simulated device");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("HIDSIM_TIME_SCALE", "0");
    qputenv("DESKLINK_TIME_SCALE", "0");
    FuzzSupport::init(argc, argv);
    QFile catalogue(QStringLiteral(DESKLINK_SOURCE_DIR "/data/usersetting/Config.ini"));
    if (!catalogue.open(QIODevice::ReadOnly))
        FuzzSupport::fail("no shipped Config.ini");
    FuzzSupport::writeFile(AppPaths::configIniPath(), catalogue.readAll());
    if (!HidSimControl::reset())
        FuzzSupport::fail("the sample scenario does not load");
    PostMsg::GetInstance();
    linkDevice();
    warmUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int headerLength = qMin(int(data[0] % 9), int(size) - 1);
    const QByteArray header = FuzzSupport::bytes(data + 1, size_t(headerLength));
    const QByteArray payload = FuzzSupport::bytes(data + 1 + headerLength, size - 1 - size_t(headerLength));

    deliver(header, payload);
    return 0;
}
