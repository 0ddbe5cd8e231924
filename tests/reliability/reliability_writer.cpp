// Writes one stored file over and over until it is killed, so that a test can
// SIGKILL it at any moment of a write and then look at what is left:
//   cache     the per-device configuration cache (two images in turn)
//   settings  the user settings Macro.ini (the language in turn, one fixed key)
//   flash     a simulated mouse's flash through the device library (HIDSIM_DIR)
//   macro     a macro file of the macro folder (two macros in turn)
// Prints "ready" once the first write is complete, then "w <n>" after each
// further one. Ends by itself after 30 s should nobody kill it.
#include "ReliabilityImages.h"

#include "core/SettingsStore.h"
#include "device/DeviceCache.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <functional>

namespace {

void say(const char* text, long n = -1)
{
    if (n < 0)
        std::printf("%s\n", text);
    else
        std::printf("%s %ld\n", text, n);
    std::fflush(stdout);
}

void dropReports(unsigned char*, int, unsigned char*, unsigned int) {}

// The flash write is done by the library's own thread; wait until it landed.
bool flashHolds(const QString& mouse, int variant)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (reliability::variantOf(hidsim::HidSimControl::configImage(mouse)) == variant)
            return true;
        QThread::usleep(100);
    }
    return false;
}

int loop(const std::function<bool(long)>& write)
{
    if (!write(0))
        return 2;
    say("ready");
    QElapsedTimer clock;
    clock.start();
    for (long n = 1; clock.elapsed() < 30000; ++n) {
        if (!write(n))
            return 3;
        say("w", n);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();

    if (mode == "cache") {
        const QString name = DeviceCacheFileName(0x33, 0x07);
        return loop([&](long n) {
            SaveDeviceCache(name, reliability::image(int(n & 1)));
            return true;
        });
    }
    if (mode == "settings") {
        SettingsStore* store = SettingsStore::instance();
        if (!store->setValue("AutoStart", "Enable", "1"))
            return 2;
        return loop([&](long n) {
            return store->setValue("Language", "Language", n & 1 ? "7" : "3");
        });
    }
    if (mode == "flash") {
        const QString mouse = QStringLiteral("m7");
        const QByteArray path = hidsim::HidSimControl::path(mouse);
        if (path.isEmpty() || !UsbServerC_Start(path.constData(), path.constData(), dropReports)) {
            say("no mouse");
            return 2;
        }
        return loop([&](long n) {
            const FlashDataMap img = reliability::image(int(n & 1));
            return ProtocolDataUpdate(&img) && flashHolds(mouse, int(n & 1));
        });
    }
    if (mode == "macro") {
        const QString path = MacroFolder::filePath(MacroFolder::defaultPath(), QStringLiteral("killed"));
        return loop([&](long n) {
            const int variant = int(n & 1);
            return MacroFile::write(path, reliability::macroRepeat(variant), reliability::macroRows(variant),
                                    MacroFile::WriteMode::CreateOrReplace);
        });
    }
    say("usage: reliability_writer cache|settings|flash|macro");
    return 1;
}
