// bench-transfer <image>...: hands each firmware image straight to the device
// library, one after another, on the virtual devices in HIDSIM_DIR, and prints
// "transfer <ms>" from the start to the library's final message for each: what
// the devices themselves need, with no program around them.
#include "ProbeOutput.h"

#include <HIDUsb.h>

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
constexpr qint64 kGiveUpNs = 60'000'000'000;

std::atomic<int> g_result{-1};
std::atomic<qint64> g_endNs{0};

void onUpgrade(unsigned char* message)
{
    // Kind 2 is the end, its value 1 a success.
    if (message && message[0] == 7 && message[1] == 2) {
        g_endNs = ProbeOutput::nowNs();
        g_result = message[2];
    }
}

int fail(const QByteArray& why)
{
    ProbeOutput::say("error " + why);
    return 3;
}
}

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly))
            return fail("cannot read " + QByteArray(argv[i]));
        const QByteArray image = file.readAll();
        g_result = -1;
        const qint64 startNs = ProbeOutput::nowNs();
        if (!UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(image.constData()), &onUpgrade, 10000))
            return fail("no device took " + QByteArray(argv[i]));
        while (g_result.load() < 0 && ProbeOutput::nowNs() - startNs < kGiveUpNs)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (g_result.load() != 1)
            return fail("the transfer of " + QByteArray(argv[i]) + " failed");
        ProbeOutput::say("transfer " + QByteArray::number(double(g_endNs.load() - startNs) / 1e6, 'f', 2));
    }
    ProbeOutput::say("end");
    return 0;
}
