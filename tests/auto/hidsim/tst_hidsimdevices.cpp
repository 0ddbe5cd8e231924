// The virtual devices as the program meets them: discovery across connection
// kinds, offline and unknown devices, the mouse's own reports, profiles, factory
// reset, pairing, receiver settings and firmware transfer.
#include "HidSimTestKit.h"

#include <QElapsedTimer>

#include <limits>

using kit::HidSimControl;
using kit::Report;
using kit::Reports;

namespace {

std::mutex g_progressMutex;
std::vector<std::string> g_progress;  // filled on the library's thread

void onProgress(unsigned char* message)
{
    std::lock_guard<std::mutex> lock(g_progressMutex);
    g_progress.emplace_back(reinterpret_cast<const char*>(message), 3);
}

void clearProgress()
{
    std::lock_guard<std::mutex> lock(g_progressMutex);
    g_progress.clear();
}

QVector<QByteArray> progressMessages()
{
    std::lock_guard<std::mutex> lock(g_progressMutex);
    QVector<QByteArray> out;
    for (const std::string& m : g_progress)
        out.append(QByteArray(m.data(), int(m.size())));
    return out;
}

bool transferEnded(QByteArray* end)
{
    return kit::waitUntil([end] {
        for (const QByteArray& m : progressMessages())
            if (m[1] == 2) {
                *end = m;
                return true;
            }
        return false;
    }, 10000);
}

QStringList listed(const char* pid)
{
    int count = 5;
    char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId("3A7C", pid, &count);
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QString::fromLatin1(paths[i]);
    return out;
}

// The receiver's answer to a status request (other reports stay recorded).
int pairStatus()
{
    const int before = Reports::all().size();
    UsbServer_ReadDonglePairStatus();
    int status = -1;
    kit::waitUntil([&] {
        for (const Report& r : Reports::all().mid(before))
            if (r.type() == 6)
                status = uchar(r.data[0]);
        return status >= 0;
    });
    return status;
}

const char kPairingScenario[] = R"({
  "mice": [ {"id": "mx", "cid": 51, "mid": 11, "receiverKind": 4},
            {"id": "other", "cid": 52, "mid": 11, "receiverKind": 4},
            {"id": "eight", "cid": 51, "mid": 17, "receiverKind": 8},
            {"id": "wired", "cid": 51, "mid": 11, "receiverKind": 4, "cable": true} ],
  "receivers": [ {"id": "rx", "kind": 4, "cid": 51, "mid": 11, "address": "ABCDEF"} ]
})";

}  // namespace

class tst_HidSimDevices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sampleDevicesAreFound_data();
    void sampleDevicesAreFound();
    void searchKeepsCapacityAndPaths();
    void unknownPathsAnswerNothing_data();
    void unknownPathsAnswerNothing();
    void switchedOnMouseSendsConnected();
    void mouseReportsItsOwnChanges_data();
    void mouseReportsItsOwnChanges();
    void lightButtonCyclesTheLightBar();
    void profilesAreSeparateImages();
    void factoryResetRestoresAndReconnects();
    void factoryButtonsFollowTheCatalogue_data();
    void factoryButtonsFollowTheCatalogue();
    void pairing_data();
    void pairing();
    void pairingByCable();
    void receiverSettings();
    void firmwareTransfer_data();
    void firmwareTransfer();
    void failedTransferLeavesBootLoaderForRepair();
    void transferFailsWhenItsDeviceGoes_data();
    void transferFailsWhenItsDeviceGoes();
    void transferTakesLinkTime();
    void injectedReportsArriveAsGiven_data();
    void injectedReportsArriveAsGiven();
};

void tst_HidSimDevices::initTestCase()
{
    kit::useTemporaryFolderUnlessSet();
}

void tst_HidSimDevices::init()
{
    QString error;
    QVERIFY2(HidSimControl::reset(QByteArray(), &error), qPrintable(error));  // the shipped sample
    HidSimControl::setTimeScale(0.01);
    Reports::clear();
    clearProgress();
}

void tst_HidSimDevices::cleanup()
{
    UsbServer_Exit();
}

void tst_HidSimDevices::sampleDevicesAreFound_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("pid");
    QTest::addColumn<int>("mid");
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("mouse on its cable") << "m7" << "0A01" << 7 << 2 << true << QByteArray::fromHex("000000");
    QTest::newRow("1K receiver") << "r8" << "1A01" << 8 << 0 << true << QByteArray::fromHex("1C0801");
    QTest::newRow("2K receiver") << "r9" << "2A01" << 9 << 4 << true << QByteArray::fromHex("2C0902");
    QTest::newRow("4K receiver") << "r11" << "4A01" << 11 << 1 << true << QByteArray::fromHex("4C1104");
    QTest::newRow("8K receiver, mouse off") << "r17" << "8A01" << 17 << 5 << false
                                            << QByteArray::fromHex("8C1708");
}

void tst_HidSimDevices::sampleDevicesAreFound()
{
    QFETCH(QString, id);
    QFETCH(QString, pid);
    QFETCH(int, mid);
    QFETCH(int, connectionType);
    QFETCH(bool, online);
    QFETCH(QByteArray, address);

    const QByteArray path = HidSimControl::path(id);
    QVERIFY(!path.isEmpty());
    QCOMPARE(listed(pid.toLatin1().constData()), QStringList(QString::fromLatin1(path)));
    int count = 5;
    char** paths = UsbFinderC_FindHidDevicesByDeviceId("3a7c", pid.toLower().toLatin1().constData(), 1, 5, &count);
    QCOMPARE(count, 1);
    QCOMPARE(QByteArray(paths[0]), path);

    const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(path.constData());
    QCOMPARE(int(info.cid), 51);
    QCOMPARE(int(info.mid), mid);
    QCOMPARE(int(info.connectionType), connectionType);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(path.constData()), online);

    unsigned char attribute[12] = {};
    QVERIFY(UsbFinderC_GetUsbDeviceAttribute(path.constData(), attribute));
    QCOMPARE(attribute[8] | attribute[9] << 8, 0x0103);  // "v1.3"

    unsigned char buffer[10];
    std::memset(buffer, 0xEE, sizeof(buffer));
    UsbFinderC_GetDeviceOnLineWithUsbAddress(path.constData(), buffer);
    QCOMPARE(int(buffer[6]), online ? 1 : 0);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer) + 7, 3), address);
}

void tst_HidSimDevices::searchKeepsCapacityAndPaths()
{
    QVERIFY(HidSimControl::plug("m8"));  // its cable: a second mouse under 0A01
    QCOMPARE(listed("0A01").size(), 2);
    int count = 1;
    char** first = UsbFinderC_FindHidDevicesByDefaultDeviceId("3A7C", "0A01", &count);
    QCOMPARE(count, 1);
    const char* path = first[0];
    const QByteArray text(path);

    QVERIFY(HidSimControl::unplug("m7"));
    QVERIFY(HidSimControl::unplug("m8"));
    QCOMPARE(listed("0A01").size(), 0);
    QVERIFY(HidSimControl::plug("m7"));
    QCOMPARE(QByteArray(path), text);  // still the same text after the devices changed
    QVERIFY(listed("0A01").contains(QString::fromLatin1(text)));
    count = 0;
    UsbFinderC_FindHidDevicesByDefaultDeviceId("3A7C", "0A01", &count);
    QCOMPARE(count, 0);
    count = 5;
    UsbFinderC_FindHidDevicesByDefaultDeviceId("FFFF", "0A01", &count);
    QCOMPARE(count, 0);
}

void tst_HidSimDevices::unknownPathsAnswerNothing_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("placeholder") << QByteArray("a");
    QTest::newRow("no path") << QByteArray();
    QTest::newRow("receiver not plugged in") << QByteArray("hidsim:vid_3a7c&pid_8a01:r23");
}

void tst_HidSimDevices::unknownPathsAnswerNothing()
{
    QFETCH(QByteArray, path);
    const char* p = path.isNull() ? nullptr : path.constData();
    QVERIFY(!UsbFinderC_GetDeviceOnLine(p));
    const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(p);
    QCOMPARE(info.cid | info.mid | info.connectionType, 0);
    QCOMPARE(UsbFinderC_GetVersion(p), 0);
    unsigned char buffer[12];
    std::memset(buffer, 0xEE, sizeof(buffer));
    UsbFinderC_GetUsbDeviceAttribute(p, buffer);
    UsbFinderC_GetDeviceOnLineWithUsbAddress(p, buffer);
    unsigned char longRange = 0x73;
    UsbFinderC_GetLongRangeMode(p, &longRange);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 12), QByteArray(12, char(0xEE)));
    QCOMPARE(int(longRange), 0x73);

    UsbServerC_Start(p, p, Reports::onData);
    FlashDataMap image{};
    QVERIFY(!ProtocolDataUpdate(&image));
    UsbServer_ReadAllFlashData();
    UsbServer_ReadConfig();
    UsbServer_ReadDonglePairStatus();
    QTest::qWait(50);
    QCOMPARE(Reports::all().size(), 0);
}

void tst_HidSimDevices::switchedOnMouseSendsConnected()
{
    const QByteArray path = kit::openLink("r17");
    UsbServer_ReadAllFlashData();
    QTest::qWait(50);
    QCOMPARE(Reports::all().size(), 0);  // switched off: no answer

    QVERIFY(HidSimControl::setPowered("m17", true));
    Report r;
    QVERIFY(Reports::waitFor(9, &r));
    QCOMPARE(r.data, QByteArray::fromHex("058C1708"));
    QVERIFY(UsbFinderC_GetDeviceOnLine(path.constData()));
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));

    QVERIFY(HidSimControl::setPowered("m17", false));
    QVERIFY(!UsbFinderC_GetDeviceOnLine(path.constData()));
    QCOMPARE(Reports::count(9), 0);  // only coming back is reported
}

void tst_HidSimDevices::mouseReportsItsOwnChanges_data()
{
    QTest::addColumn<int>("action");  // 0 DPI button, 1 rate button, 2 battery, 3 light button
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("replyType");
    QTest::addColumn<int>("replyAddress");
    QTest::addColumn<int>("replyIndex");
    QTest::addColumn<int>("value");
    QTest::newRow("DPI button: next of 4 stages") << 0 << 0x01 << 8 << 0x04 << 0 << 2;
    QTest::newRow("rate button: 1000 Hz wraps to 125 Hz") << 1 << 0x02 << 8 << 0x00 << 0 << 8;
    QTest::newRow("battery level") << 2 << 0x40 << 4 << 0 << 1 << 15;
    QTest::newRow("light button: next light mode") << 3 << 0x20 << 8 << 0xA0 << 0 << 2;
}

void tst_HidSimDevices::mouseReportsItsOwnChanges()
{
    QFETCH(int, action);
    QFETCH(int, flags);
    QFETCH(int, replyType);
    QFETCH(int, replyAddress);
    QFETCH(int, replyIndex);
    QFETCH(int, value);

    kit::openLink("r8");
    if (action == 0)
        QVERIFY(HidSimControl::pressDpiButton("m8"));
    else if (action == 1)
        QVERIFY(HidSimControl::pressRateButton("m8"));
    else if (action == 2)
        QVERIFY(HidSimControl::setBattery("m8", 15, false));
    else
        QVERIFY(HidSimControl::pressLightButton("m8"));
    Report status;
    QVERIFY(Reports::waitFor(10, &status));
    unsigned char out[7];
    GetDeviceStatusChanged(reinterpret_cast<const unsigned char*>(status.data.constData()), out);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(int(out[i]), (flags >> i) & 1);

    // What the report handler then asks for carries the new value.
    Reports::clear();
    if (action == 0)
        UsbServer_ReadCurrentDPI();
    else if (action == 1)
        UsbServer_ReadReportRate();
    else if (action == 2)
        UsbServer_ReadBatteryLevel();
    else
        UsbServer_ReadLedBar();
    Report reply;
    QVERIFY(Reports::waitFor(replyType, &reply, replyAddress));
    QCOMPARE(int(uchar(reply.data[replyIndex])), value);

    // A switched-off mouse has no buttons to press.
    QString error;
    QVERIFY(!HidSimControl::pressDpiButton("m17", &error));
    QVERIFY(error.contains("off"));
}

void tst_HidSimDevices::lightButtonCyclesTheLightBar()
{
    // From the factory's mode 1: the modes, then off keeping the mode byte, then on again.
    const int expected[][2] = {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 0}, {1, 1}, {2, 1}};
    const QByteArray before = HidSimControl::configImage("m7");
    QCOMPARE(int(before.at(67)), 1);
    for (const auto& e : expected) {
        QVERIFY(HidSimControl::pressLightButton("m7"));
        const QByteArray now = HidSimControl::configImage("m7");
        QCOMPARE(QList<int>({now.at(67), now.at(73)}), QList<int>({e[0], e[1]}));
        // Colour, speed and brightness stay; the flash still reads as well formed.
        QCOMPARE(now.mid(68, 5), before.mid(68, 5));
        // The light bar's check byte is renewed: the flash still parses.
        const QByteArray flash = HidSimControl::flash("m7");
        FlashDataMap image;
        QVERIFY(ProtocolDataParser(reinterpret_cast<const unsigned char*>(flash.constData()), &image));
        QCOMPARE(kit::bytesOf(image), now);
    }
}

void tst_HidSimDevices::profilesAreSeparateImages()
{
    kit::openLink("m7");
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.debounceTime = 5;
    QVERIFY(ProtocolDataUpdate(&image));

    Reports::clear();
    UsbServer_SetCurrentConfig(2);
    Report r;
    QVERIFY(Reports::waitFor(14, &r));
    QCOMPARE(r.data, QByteArray(1, 2));
    QVERIFY(Reports::waitFor(10, &r));
    QCOMPARE(r.data, QByteArray(1, 0x04));  // full refresh wanted
    QVERIFY(kit::readImage(&image));
    QCOMPARE(int(image.debounceTime), 1);  // profile 2 still holds the factory settings

    UsbServer_SetCurrentConfig(9);  // no such profile
    UsbServer_ReadConfig();
    Reports::clear();
    UsbServer_ReadConfig();
    QVERIFY(Reports::waitFor(14, &r));
    QCOMPARE(r.data, QByteArray(1, 2));

    UsbServer_SetCurrentConfig(0);
    QVERIFY(kit::readImage(&image));
    QCOMPARE(int(image.debounceTime), 5);
    QCOMPARE(HidSimControl::currentProfile("m7"), 0);
}

void tst_HidSimDevices::factoryResetRestoresAndReconnects()
{
    const QByteArray factory = HidSimControl::configImage("m9");  // untouched mouse
    const QByteArray path = kit::openLink("r8");
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.sensorMode = 2;
    image.buttons[0] = ButtonMapping{6, 0, 1};
    image.macros[0].nameLength = 3;
    QVERIFY(ProtocolDataUpdate(&image));
    UsbServer_SetCurrentConfig(3);
    QVERIFY(ProtocolDataUpdate(&image));

    Reports::clear();
    UsbServer_SetBatteryOptimizeEnable(false);
    UsbServer_SetClearSetting();
    // Report 9 comes only from a linked mouse that was away and is back: it
    // restarted. (Its time away is too short to be sure to see on a busy machine.)
    QVERIFY(Reports::waitFor(9));
    QVERIFY(UsbFinderC_GetDeviceOnLine(path.constData()));
    QVERIFY(kit::readImage(&image));
    QCOMPARE(kit::bytesOf(image), factory);
    QCOMPARE(HidSimControl::currentProfile("m8"), 0);
    for (int p = 0; p < 4; ++p)
        QCOMPARE(HidSimControl::flash("m8", p), HidSimControl::flash("m9", p));
}

void tst_HidSimDevices::factoryButtonsFollowTheCatalogue_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("plug");              // receiver to plug in first
    QTest::addColumn<QList<int>>("mappings");       // type, code, param of buttons 0 .. 5
    QTest::addColumn<int>("usage");                 // consumer usage in button 5's key record, 0: none

    const QList<int> clicks = {1, 1, 0, 1, 2, 0, 1, 4, 0, 1, 8, 0, 1, 16, 0};
    // The wired model lists five buttons: the sixth keeps the common DPI loop.
    QTest::newRow("wired, five listed") << "m7" << "" << (clicks + QList<int>{2, 1, 0}) << 0;
    QTest::newRow("4K, next track on the sixth") << "r11" << "" << (clicks + QList<int>{5, 0, 0}) << 0x00B5;
    QTest::newRow("8K, volume up on the sixth") << "r23" << "r23" << (clicks + QList<int>{5, 0, 0}) << 0x00E9;
}

void tst_HidSimDevices::factoryButtonsFollowTheCatalogue()
{
    QFETCH(QString, listed);
    QFETCH(QString, plug);
    QFETCH(QList<int>, mappings);
    QFETCH(int, usage);
    if (!plug.isEmpty())
        QVERIFY(HidSimControl::plug(plug));
    const QByteArray path = kit::openLink(listed);
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    for (int i = 0; i < 6; ++i) {
        image.buttons[i] = ButtonMapping{0, 0, 0};
        std::memset(&image.keyEvents[i], 0, sizeof(KeyEventRecord));
    }
    QVERIFY(ProtocolDataUpdate(&image));

    Reports::clear();
    UsbServer_SetClearSetting();
    QVERIFY(Reports::waitFor(9));  // back after its restart
    QVERIFY(kit::readImage(&image));

    for (int i = 0; i < 6; ++i) {
        const QList<int> shown = {image.buttons[i].type, image.buttons[i].code, image.buttons[i].param};
        QCOMPARE(shown, mappings.mid(3 * i, 3));
    }
    const KeyEventRecord& record = image.keyEvents[5];
    if (usage == 0) {
        QCOMPARE(int(record.eventCount), 0);
        return;
    }
    QCOMPARE(int(record.eventCount), 2);
    for (int e = 0; e < 2; ++e) {
        QCOMPARE(int(record.events[e].direction), e);
        QCOMPARE(int(record.events[e].kind), 2);
        QCOMPARE(int(record.events[e].code()), usage);
        QCOMPARE(int(record.events[e].delay()), 10);
    }
    QCOMPARE(int(record.events[2].kind), 0);
}

void tst_HidSimDevices::pairing_data()
{
    QTest::addColumn<QString>("mouse");  // put into pairing mode; empty: none
    QTest::addColumn<int>("status");
    QTest::newRow("mouse of the customer id") << "mx" << 3;
    QTest::newRow("no mouse in pairing mode") << "" << 2;
    QTest::newRow("mouse of another customer") << "other" << 2;
}

void tst_HidSimDevices::pairing()
{
    QFETCH(QString, mouse);
    QFETCH(int, status);
    QVERIFY(HidSimControl::reset(kPairingScenario));
    HidSimControl::setTimeScale(0.01);  // 15 ms to pair, 300 ms to give up
    const QByteArray path = kit::openLink("rx");
    QCOMPARE(pairStatus(), 0);
    QVERIFY(!UsbFinderC_GetDeviceOnLine(path.constData()));

    UsbServer_EnterDonglePairOnlyCid(51);
    QCOMPARE(pairStatus(), 1);
    if (!mouse.isEmpty())
        QVERIFY(HidSimControl::pair(mouse));
    QVERIFY(kit::waitUntil([status] { return pairStatus() == status; }, 3000));
    QCOMPARE(UsbFinderC_GetDeviceOnLine(path.constData()), status == 3);
    if (status == 3) {
        QVERIFY(Reports::waitFor(9));
        QVERIFY(HidSimControl::scenario().contains("\"pairedTo\": \"rx\""));
    }
}

void tst_HidSimDevices::pairingByCable()
{
    QVERIFY(HidSimControl::reset(kPairingScenario));
    const QByteArray wired = HidSimControl::path("wired");
    const unsigned char address[3] = {0xAB, 0xCD, 0xEF};
    const unsigned char unknown[3] = {1, 2, 3};
    QVERIFY(!UsbFinderC_SetDongleIDToMouse(wired.constData(), unknown));
    QVERIFY(UsbFinderC_SetDongleIDToMouse(wired.constData(), address));
    unsigned char buffer[10] = {};
    UsbFinderC_GetDeviceOnLineWithUsbAddress(wired.constData(), buffer);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer) + 7, 3), QByteArray::fromHex("ABCDEF"));
    QVERIFY(HidSimControl::unplug("wired"));  // now it answers through the receiver
    QVERIFY(UsbFinderC_GetDeviceOnLine(HidSimControl::path("rx").constData()));
}

void tst_HidSimDevices::receiverSettings()
{
    const QByteArray r11 = kit::openLink("r11");
    DongleRGB rgb{};
    rgb.mode = 2;
    QVERIFY(UsbFinderC_Set4KDongleRGB(r11.constData(), &rgb));
    Report r;
    QVERIFY(Reports::waitFor(21, &r));
    QCOMPARE(r.data.size(), 10);
    QCOMPARE(int(r.data[0]), 2);
    DongleRGB got{};
    QVERIFY(UsbFinderC_Get4KDongleRGBValue(r11.constData(), &got));
    QCOMPARE(int(got.mode), 2);

    const QByteArray r8 = HidSimControl::path("r8");  // a 1K receiver has no light
    std::memset(&got, 0xEE, sizeof(got));
    QVERIFY(!UsbFinderC_Set4KDongleRGB(r8.constData(), &rgb));
    QVERIFY(!UsbFinderC_Get4KDongleRGBValue(r8.constData(), &got));
    QCOMPARE(int(got.mode), 0xEE);

    QVERIFY(UsbFinderC_SetLongRangeMode(r11.constData(), true));
    unsigned char mode = 0x73;
    QVERIFY(UsbFinderC_GetLongRangeMode(r11.constData(), &mode));
    QCOMPARE(int(mode), 1);
    QVERIFY(UsbFinderC_SetLongRangeMode(r11.constData(), false));
    QVERIFY(Reports::waitFor(23, &r));
    QCOMPARE(r.data.size(), 10);
    QVERIFY(UsbFinderC_GetLongRangeMode(r11.constData(), &mode));
    QCOMPARE(int(mode), 0);
    mode = 0x73;
    QVERIFY(!UsbFinderC_GetLongRangeMode(HidSimControl::path("m7").constData(), &mode));
    QCOMPARE(int(mode), 0x73);  // a mouse on its cable has no receiver to ask

    int version = 0;
    QVERIFY(UsbFinderC_GetSlaveVersion(r11.constData(), &version));
    QCOMPARE(version, 0x0103);
    QVERIFY(!UsbFinderC_GetSlaveVersion(HidSimControl::path("m7").constData(), &version));
}

void tst_HidSimDevices::firmwareTransfer_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("failAt");  // -1: no injected failure
    QTest::addColumn<bool>("success");
    QTest::newRow("mouse on its cable") << kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 4) << "m7" << -1 << true;
    QTest::newRow("4K receiver") << kit::firmwareImage(211, 51, 11, "ORX-R4K", 1, 0x1f, 2048) << "r11" << -1
                                 << true;
    QTest::newRow("failure at 40 %") << kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 4) << "m7" << 40 << false;
    QTest::newRow("payload that fails its check") << kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 4, 4096, true)
                                                  << "m7" << -1 << false;
}

void tst_HidSimDevices::firmwareTransfer()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, device);
    QFETCH(int, failAt);
    QFETCH(bool, success);
    const QByteArray path = HidSimControl::path(device);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(image.constData());
    if (failAt >= 0)
        HidSimControl::failNextFirmwareTransfer(failAt);
    // About 100 ms a transfer: still running at the second start below, also on a
    // busy machine.
    HidSimControl::setTimeScale(0.07);

    QVERIFY(UsbUpgrade_Start(data, onProgress, 10000));
    QVERIFY(!UsbUpgrade_Start(data, onProgress, 10000));  // one transfer at a time
    QByteArray end;
    QVERIFY(transferEnded(&end));
    QCOMPARE(int(end[0]), 7);
    QCOMPARE(int(end[2]) == 1, success);

    int last = -1;
    for (const QByteArray& m : progressMessages())
        if (m[1] == 1) {
            QVERIFY(int(m[2]) >= last);
            last = m[2];
        }
    QCOMPARE(last, success ? 100 : (failAt >= 0 ? failAt - 1 : 100));

    char** logs = UsbUpgradeC_GetLogs();
    for (int i = 0; i < 8; ++i)
        QVERIFY(logs[i] && *logs[i]);
    QCOMPARE(QByteArray(logs[7]).startsWith("Result: success"), success);

    int count = 5;
    UsbUpgradeC_FindBootDevices(data, &count);
    QCOMPARE(count, success ? 0 : 1);
    QCOMPARE(HidSimControl::path(device).isEmpty(), !success);  // a device in its boot loader is not listed
    if (success) {
        QCOMPARE(HidSimControl::path(device), path);
        unsigned char attribute[12] = {};
        QVERIFY(UsbFinderC_GetUsbDeviceAttribute(path.constData(), attribute));
        QCOMPARE(attribute[9] << 8 | attribute[8], uchar(image[0x11]) << 8 | uchar(image[0x10]));
    }
}

void tst_HidSimDevices::failedTransferLeavesBootLoaderForRepair()
{
    const QByteArray image = kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 5);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(image.constData());
    HidSimControl::failNextFirmwareTransfer(0);
    QVERIFY(UsbUpgrade_Start(data, onProgress, 10000));
    QByteArray end;
    QVERIFY(transferEnded(&end));
    QCOMPARE(int(end[2]), 0);
    QVERIFY(HidSimControl::path("m7").isEmpty());

    // The repair finds the mouse in its boot loader and completes the update.
    int count = 5;
    QCOMPARE(UsbUpgradeC_FindBootDevices(data, &count), 1);
    clearProgress();
    QVERIFY(UsbUpgrade_Start(data, onProgress, 10000));
    QVERIFY(transferEnded(&end));
    QCOMPARE(int(end[2]), 1);
    QCOMPARE(UsbFinderC_GetVersion(HidSimControl::path("m7").constData()), 0x0105);

    // No connected device fits: not started, and the end comes as a failure.
    clearProgress();
    const QByteArray foreign = kit::firmwareImage(210, 51, 99, "ORX-M99", 1, 4);
    QVERIFY(!UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(foreign.constData()), onProgress, 10000));
    QVERIFY(transferEnded(&end));
    QCOMPARE(int(end[2]), 0);
}

void tst_HidSimDevices::transferFailsWhenItsDeviceGoes_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("action");  // "unplug" or "power off"; undone after the end

    QTest::newRow("mouse cable pulled") << kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 4) << "m7" << "unplug";
    QTest::newRow("mouse switched off") << kit::firmwareImage(210, 51, 7, "ORX-M7", 1, 4) << "m7" << "power off";
    QTest::newRow("receiver pulled out") << kit::firmwareImage(211, 51, 11, "ORX-R4K", 1, 4) << "r11" << "unplug";
}

// A device that leaves in the middle of its transfer ends it as a failure and
// waits in its boot loader, as after a failed write, once it is back.
void tst_HidSimDevices::transferFailsWhenItsDeviceGoes()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, device);
    QFETCH(QString, action);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(image.constData());
    // Half a second of writing: the device leaves well before the end.
    HidSimControl::setTimeScale(1);

    QVERIFY(UsbUpgrade_Start(data, onProgress, 10000));
    QVERIFY(kit::waitUntil([] {
        for (const QByteArray& m : progressMessages())
            if (m[1] == 1 && m[2] >= 5)
                return true;
        return false;
    }));
    QString error;
    QVERIFY2(action == "unplug" ? HidSimControl::unplug(device, &error) : HidSimControl::setPowered(device, false, &error),
             qPrintable(error));
    QByteArray end;
    QVERIFY(transferEnded(&end));
    QVERIFY(int(end[2]) != 1);
    for (const QByteArray& m : progressMessages())
        QVERIFY(m[1] != 1 || int(m[2]) < 100);
    QVERIFY(QByteArray(UsbUpgradeC_GetLogs()[7]).startsWith("Result: failed"));
    HidSimControl::setTimeScale(0.01);

    // Still away, it is not found in its boot loader, so nothing offers its repair.
    int count = 5;
    QCOMPARE(UsbUpgradeC_FindBootDevices(data, &count), 0);
    QVERIFY(action == "unplug" ? HidSimControl::plug(device) : HidSimControl::setPowered(device, true));
    QCOMPARE(UsbUpgradeC_FindBootDevices(data, &count), 1);
    QVERIFY(HidSimControl::path(device).isEmpty());
    QVERIFY(HidSimControl::describe().contains(QRegularExpression("(^|\\n)" + device + " .*boot-loader")));
}

void tst_HidSimDevices::transferTakesLinkTime()
{
    // A busy machine only makes a read longer: the shortest of a few reads is
    // the link's own time. At real speed half the cable's time is still tens of
    // milliseconds, more than a stall in each of the 2K link's reads.
    HidSimControl::setTimeScale(1);
    auto shortestReadUs = [](const char* listed) {
        kit::openLink(listed);
        qint64 shortest = std::numeric_limits<qint64>::max();
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer clock;
            clock.start();
            FlashDataMap image;
            if (!kit::readImage(&image))
                return qint64(-1);
            shortest = qMin(shortest, clock.nsecsElapsed() / 1000);
        }
        return shortest;
    };
    const qint64 cableUs = shortestReadUs("m7");
    const qint64 twoKUs = shortestReadUs("r9");
    QVERIFY2(cableUs >= 108 * 1000 * 0.95, qPrintable(QString::number(cableUs)));
    QVERIFY2(twoKUs >= 108 * 500 * 0.95, qPrintable(QString::number(twoKUs)));
    QVERIFY2(cableUs > twoKUs, qPrintable(QString("%1 us on the cable, %2 us at 2K").arg(cableUs).arg(twoKUs)));

    QElapsedTimer clock;
    FlashDataMap image;

    // The extra latency of the delay model comes on top, even at time scale 0.
    HidSimControl::setTimeScale(0);
    HidSimControl::setExtraLatencyUs(30000);
    clock.restart();
    QVERIFY(kit::readImage(&image));
    HidSimControl::setExtraLatencyUs(0);
    QVERIFY(clock.elapsed() >= 29);
}

void tst_HidSimDevices::injectedReportsArriveAsGiven_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("one header byte, no data") << QByteArray(1, char(0xA5)) << QByteArray();
    QTest::newRow("status change") << QByteArray::fromHex("a50a000000") << QByteArray(1, 0x7f);
    QTest::newRow("long header, long data") << QByteArray(40, 'h') << QByteArray(7000, 'd');
}

void tst_HidSimDevices::injectedReportsArriveAsGiven()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, data);
    kit::openLink("m7");
    QVERIFY(HidSimControl::injectReport(header, data));
    QVERIFY(kit::waitUntil([] { return !Reports::all().isEmpty(); }));
    const Report r = Reports::all().first();
    QCOMPARE(r.header, header);
    QCOMPARE(r.data, data);
    UsbServer_Exit();
    QVERIFY(!HidSimControl::injectReport(header, data));  // no link, nobody to deliver to
}

QTEST_GUILESS_MAIN(tst_HidSimDevices)
#include "tst_hidsimdevices.moc"
