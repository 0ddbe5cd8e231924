#include "app/Globals.h"

#include <QtTest>

#include <atomic>
#include <cstring>
#include <thread>

class tst_Globals : public QObject
{
    Q_OBJECT

private slots:
    void startValues();
    void devicePathStaysValidWhileReplaced();
    void flashDataCopyIsWholeImage();
};

void tst_Globals::startValues()
{
    QCOMPARE(g_AppName, QStringLiteral("Orvex DeskLink"));
    QCOMPARE(std::strcmp(g_DevicePath, ""), 0);
    QVERIFY(g_DevicePollingEnabled);
    QVERIFY(!g_UiReady);
    QCOMPARE(int(g_DongleRGB->mode), 0);
    QCOMPARE(g_CurrentDevice.vid, QStringLiteral("0"));
}

// A reader that loaded the pointer before the path changed must still see
// intact text: the device thread calls the library with it while the GUI
// thread switches devices.
void tst_Globals::devicePathStaysValidWhileReplaced()
{
    const std::string first(200, 'a');
    const std::string second = "/dev/hidsim/mouse-2";
    setDevicePath(first);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            const char* p = g_DevicePath;
            const size_t n = std::strlen(p);
            if (!(n == first.size() && p[0] == 'a') && std::strcmp(p, second.c_str()) != 0)
                ++bad;
        }
    });
    for (int i = 0; i < 20000; ++i)
        setDevicePath(i % 2 ? second : first);
    stop = true;
    reader.join();
    QCOMPARE(bad.load(), 0);

    QCOMPARE(std::strcmp(setDevicePath(QStringLiteral("/dev/caf\u00e9")), "/dev/caf\xe9"), 0);
    QCOMPARE(devicePathString(), std::string("/dev/caf\xe9"));
    setDevicePath("");
}

void tst_Globals::flashDataCopyIsWholeImage()
{
    FlashDataMap image{};
    image.reportRate = FlashDataMap::kRate8000;
    image.macros[15].events[69].delayBytes[3] = 0x5A;
    replaceFlashData(image);
    const FlashDataMap copy = currentFlashData();
    QCOMPARE(std::memcmp(&copy, &image, sizeof image), 0);
    replaceFlashData(FlashDataMap{});
}

QTEST_APPLESS_MAIN(tst_Globals)
#include "tst_globals.moc"
