// Time of a whole configuration read (6912 bytes) at each connection kind, next
// to what the physical link needs: 108 reports of 64 bytes, one per interval.
#include "HIDUsb.h"
#include "HidSimControl.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

std::atomic<bool> g_arrived{false};

void onData(unsigned char* header, int headerLength, unsigned char*, unsigned int dataLength)
{
    if (headerLength >= 2 && header[1] == 8 && dataLength == 6912)
        g_arrived = true;
}

const char* kScenario = R"({
  "mice": [
    {"id": "wired", "mid": 7, "receiverKind": 0, "cable": true},
    {"id": "m1", "mid": 8,  "receiverKind": 1, "pairedTo": "r1"},
    {"id": "m2", "mid": 9,  "receiverKind": 2, "pairedTo": "r2"},
    {"id": "m4", "mid": 11, "receiverKind": 4, "pairedTo": "r4"},
    {"id": "m8", "mid": 17, "receiverKind": 8, "pairedTo": "r8"}
  ],
  "receivers": [
    {"id": "r1", "kind": 1, "address": "000001"}, {"id": "r2", "kind": 2, "address": "000002"},
    {"id": "r4", "kind": 4, "address": "000004"}, {"id": "r8", "kind": 8, "address": "000008"}
  ]
})";

}  // namespace

int main()
{
    QTemporaryDir dir;
    qputenv("HIDSIM_DIR", dir.path().toLocal8Bit());
    hidsim::HidSimControl::reset(kScenario);
    hidsim::HidSimControl::setTimeScale(1.0);

    struct Kind { const char* name; const char* id; double intervalUs; };
    const Kind kinds[] = {{"cable", "wired", 1000}, {"1K receiver", "r1", 1000}, {"2K receiver", "r2", 500},
                          {"4K receiver", "r4", 250}, {"8K receiver", "r8", 125}};
    std::printf("%-12s %12s %12s %8s\n", "connection", "measured ms", "physical ms", "diff");
    int worst = 0;
    for (const Kind& k : kinds) {
        const QByteArray path = hidsim::HidSimControl::path(k.id);
        UsbServerC_Start(path.constData(), path.constData(), onData);
        const int rounds = 10;
        double total = 0;
        for (int i = 0; i < rounds; ++i) {
            g_arrived = false;
            const auto start = std::chrono::steady_clock::now();
            UsbServer_ReadAllFlashData();
            while (!g_arrived)
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
        UsbServer_Exit();
        const double measured = total / rounds;
        const double physical = 108 * k.intervalUs / 1000.0;
        const int diff = int((measured - physical) / physical * 100.0 + (measured >= physical ? 0.5 : -0.5));
        worst = std::max(worst, std::abs(diff));
        std::printf("%-12s %12.2f %12.2f %7d%%\n", k.name, measured, physical, diff);
    }
    return worst <= 10 ? 0 : 1;
}
