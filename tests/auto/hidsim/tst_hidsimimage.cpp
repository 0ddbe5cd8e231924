// The configuration image as it crosses the device library: every field the
// program writes comes back from the mouse unchanged, and the partial reads fit
// what the report handler does with them.
#include "HidSimTestKit.h"
#include "ImageBytes.h"

#include <QRandomGenerator>

using kit::HidSimControl;
using kit::Report;
using kit::Reports;

using Patch = QVector<QPair<int, QByteArray>>;
Q_DECLARE_METATYPE(Patch)

namespace {

const char kScenario[] = R"({
  "mice": [ {"id": "m1", "cid": 51, "mid": 8, "receiverKind": 1, "cable": true} ]
})";

void apply(FlashDataMap* image, const Patch& patch)
{
    unsigned char* p = reinterpret_cast<unsigned char*>(image);
    for (const auto& part : patch)
        std::memcpy(p + part.first, part.second.constData(), size_t(part.second.size()));
}

MacroEvent macroEvent(int direction, int kind, int code, uint32_t delay)
{
    MacroEvent e{};
    e.direction = uint8_t(direction);
    e.kind = uint8_t(kind);
    e.setCode(uint16_t(code));
    e.setDelay(delay);
    return e;
}

QByteArray fullMacro()
{
    MacroRecord m{};
    m.nameLength = 30;
    for (int i = 0; i < 30; ++i)
        m.name[i] = uint8_t(0xA0 + i);  // 8-bit text, no terminator
    m.eventCount = 70;
    const int kinds[4] = {0, 1, 2, 4};
    const uint32_t delays[5] = {0, 10, 300, 65535, 0x01000000};
    for (int i = 0; i < 70; ++i)
        m.events[i] = macroEvent(i % 2, kinds[i % 4], i % 3 ? 0x04 + i : 0x0223, delays[i % 5]);
    return QByteArray(reinterpret_cast<const char*>(&m), sizeof(m));
}

QByteArray unusualMacro()
{
    MacroRecord m{};
    m.nameLength = 2;
    m.name[0] = 'a';
    m.name[1] = 'b';
    m.name[29] = 'z';  // a stray byte after the name is kept too
    m.eventCount = 3;
    m.events[0] = macroEvent(9, 200, 0xFFFF, 0xFFFFFFFF);  // outside the documented values
    m.events[2] = macroEvent(1, 1, 0x2C, 5);               // a gap of one empty event
    return QByteArray(reinterpret_cast<const char*>(&m), sizeof(m));
}

QByteArray keyRecord()
{
    KeyEventRecord k{};
    k.eventCount = 6;
    k.events[0] = macroEvent(0, 0, 0x01, 0);
    k.events[1] = macroEvent(0, 0, 0x02, 0);
    k.events[2] = macroEvent(0, 1, 0x04, 20);
    k.events[3] = macroEvent(1, 1, 0x04, 0);
    k.events[4] = macroEvent(1, 0, 0x02, 0);
    k.events[5] = macroEvent(1, 0, 0x01, 0);
    return QByteArray(reinterpret_cast<const char*>(&k), sizeof(k));
}

int firstDifference(const QByteArray& a, const QByteArray& b)
{
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            return i;
    return a.size() == b.size() ? -1 : std::min(a.size(), b.size());
}

}  // namespace

class tst_HidSimImage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void writtenFieldsComeBack_data();
    void writtenFieldsComeBack();
    void partialReadsFitTheImage_data();
    void partialReadsFitTheImage();
    void macrosThatDoNotFitAreNotSent();
    void injectedWriteFailureSendsNothing();
    void sentImageArrivesAfterTheLinkEnds_data();
    void sentImageArrivesAfterTheLinkEnds();
    void parserToleratesMalformedFlash_data();
    void parserToleratesMalformedFlash();
    void statusFlagsAndBattery();
};

void tst_HidSimImage::initTestCase()
{
    kit::useTemporaryFolderUnlessSet();
}

void tst_HidSimImage::init()
{
    QString error;
    QVERIFY2(HidSimControl::reset(kScenario, &error), qPrintable(error));
    HidSimControl::setTimeScale(0);
    Reports::clear();
    kit::openLink("m1");
}

void tst_HidSimImage::cleanup()
{
    UsbServer_Exit();
}

void tst_HidSimImage::writtenFieldsComeBack_data()
{
    QTest::addColumn<Patch>("patch");
    auto row = [](const char* name, Patch p) { QTest::newRow(name) << p; };
    // One row per field the program's writers patch (offsets of the image layout).
    row("report rate", {{0, bytes({16})}});
    row("active DPI stage", {{2, bytes({3})}});
    row("lift-off distance", {{5, bytes({2})}});
    row("debounce", {{6, bytes({4})}});
    row("motion sync", {{7, bytes({1})}});
    row("idle light-off", {{8, bytes({240})}});
    row("angle snapping", {{9, bytes({1})}});
    row("ripple control", {{10, bytes({1})}});
    row("lights off while moving", {{11, bytes({1})}});
    row("performance mode", {{12, bytes({1})}});
    row("performance time", {{13, bytes({210})}});
    row("sensor mode", {{14, bytes({2})}});
    row("DPI value of stage 7", {{15 + 6 * 7, bytes({0xFF, 0xFF, 0x44})}});
    row("DPI colour of stage 0", {{18, bytes({0x12, 0x34, 0x56})}});
    row("DPI stages swapped", {{15 + 6 * 3, bytes({9, 9, 0x22, 1, 2, 3})},
                               {15 + 6 * 2, bytes({31, 31, 0, 4, 5, 6})}, {1, bytes({5, 4})}});
    row("DPI light mode", {{63, bytes({5})}, {66, bytes({1})}});
    row("DPI light off", {{66, bytes({0})}});
    row("DPI light brightness", {{64, bytes({0xFE})}});
    row("DPI light speed", {{65, bytes({9})}});
    row("light mode", {{67, bytes({7})}, {73, bytes({1})}});
    row("light off", {{73, bytes({0})}});
    row("light colour", {{68, bytes({1, 2, 3})}});
    row("light speed", {{71, bytes({5})}});
    row("light brightness", {{72, bytes({255})}});
    row("button 15", {{74 + 3 * 15, bytes({11, 2, 0})}});
    row("key-event record of button 5", {{74 + 3 * 5, bytes({5, 0, 0})}, {124 + 52 * 5, keyRecord()}});
    row("full macro on button 15", {{74 + 3 * 15, bytes({6, 15, 2})}, {956 + 592 * 15, fullMacro()}});
    row("macro with unusual bytes", {{956, unusualMacro()}});
    row("reserved bytes", {{3, bytes({0xAB, 0xCD})}, {122, bytes({0x12, 0x34})}});
}

void tst_HidSimImage::writtenFieldsComeBack()
{
    QFETCH(Patch, patch);
    FlashDataMap before;
    QVERIFY(kit::readImage(&before));
    FlashDataMap expected = before;
    apply(&expected, patch);
    QVERIFY2(kit::bytesOf(expected) != kit::bytesOf(before), "the row must change the image");

    QVERIFY(ProtocolDataUpdate(&expected));
    FlashDataMap after;
    QVERIFY(kit::readImage(&after));
    const int at = firstDifference(kit::bytesOf(after), kit::bytesOf(expected));
    QVERIFY2(at < 0, qPrintable(QString("image differs at byte %1").arg(at)));
    // The mouse keeps it: the tool's view of the flash agrees.
    QCOMPARE(HidSimControl::configImage("m1"), kit::bytesOf(expected));
}

void tst_HidSimImage::partialReadsFitTheImage_data()
{
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("imageOffset");
    QTest::addColumn<int>("imageLength");
    QTest::newRow("report rate") << 0 << 0x00 << 1 << 0 << 1;
    QTest::newRow("active DPI stage") << 1 << 0x04 << 1 << 2 << 1;
    QTest::newRow("DPI light") << 2 << 0x4C << 8 << 63 << 4;
    QTest::newRow("light bar") << 3 << 0xA0 << 9 << 67 << 7;
}

void tst_HidSimImage::partialReadsFitTheImage()
{
    QFETCH(int, request);
    QFETCH(int, address);
    QFETCH(int, length);
    QFETCH(int, imageOffset);
    QFETCH(int, imageLength);

    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.reportRate = FlashDataMap::kRate4000;
    image.dpiStageCount = 8;
    image.activeDpiStage = 6;
    image.dpiLed = DpiLedSettings{3, 0x7F, 4, 1};
    image.ledBar = LedBarSettings{9, 10, 20, 30, 4, 200, 1};
    QVERIFY(ProtocolDataUpdate(&image));

    Reports::clear();
    void (*const reads[4])() = {UsbServer_ReadReportRate, UsbServer_ReadCurrentDPI, UsbServer_ReadDPILed,
                                UsbServer_ReadLedBar};
    reads[request]();
    Report r;
    QVERIFY(Reports::waitFor(8, &r, address, length));
    QCOMPARE(r.header.size(), 5);

    const QByteArray want = kit::bytesOf(image).mid(imageOffset, imageLength);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(r.data.constData());
    QByteArray got(imageLength + 8, char(0xEE));  // guard bytes on both sides
    unsigned char* out = reinterpret_cast<unsigned char*>(got.data()) + 4;
    if (request == 2)
        BufferToDPILed(data, out);
    else if (request == 3)
        BufferToLedBar(data, out);
    else
        out[0] = data[0];
    QCOMPARE(got.mid(4, imageLength), want);
    QCOMPARE(got.left(4), QByteArray(4, char(0xEE)));
    QCOMPARE(got.right(4), QByteArray(4, char(0xEE)));
}

void tst_HidSimImage::macrosThatDoNotFitAreNotSent()
{
    FlashDataMap before;
    QVERIFY(kit::readImage(&before));
    FlashDataMap huge = before;
    for (MacroRecord& m : huge.macros) {
        m.nameLength = 30;
        std::memset(m.name, 'x', sizeof(m.name));
        m.eventCount = 70;
        for (MacroEvent& e : m.events)
            e = macroEvent(0, 2, 0x1234, 0x01020304);  // the longest packed form
    }
    QVERIFY(!ProtocolDataUpdate(&huge));
    FlashDataMap after;
    QVERIFY(kit::readImage(&after));
    QCOMPARE(kit::bytesOf(after), kit::bytesOf(before));
}

void tst_HidSimImage::injectedWriteFailureSendsNothing()
{
    FlashDataMap before;
    QVERIFY(kit::readImage(&before));
    FlashDataMap changed = before;
    changed.sensorMode = 1;
    HidSimControl::failWrites(1);
    QVERIFY(!ProtocolDataUpdate(&changed));
    FlashDataMap after;
    QVERIFY(kit::readImage(&after));
    QCOMPARE(after.sensorMode, before.sensorMode);
    QVERIFY(ProtocolDataUpdate(&changed));  // only the next write failed
    QVERIFY(kit::readImage(&after));
    QCOMPARE(after.sensorMode, uint8_t(1));
}

void tst_HidSimImage::sentImageArrivesAfterTheLinkEnds_data()
{
    QTest::addColumn<bool>("restart");
    QTest::newRow("link restarted") << true;
    QTest::newRow("link closed") << false;
}

void tst_HidSimImage::sentImageArrivesAfterTheLinkEnds()
{
    QFETCH(bool, restart);
    FlashDataMap image;
    QVERIFY(kit::readImage(&image));
    image.debounceTime = uint8_t(image.debounceTime + 1);
    HidSimControl::setTimeScale(0.2);  // the image is still on its way below

    QVERIFY(ProtocolDataUpdate(&image));
    if (restart) {
        kit::openLink("m1");  // as the device thread does for each new pass
        FlashDataMap read;
        QVERIFY(kit::readImage(&read));  // served after the image, not before
        QCOMPARE(kit::bytesOf(read), kit::bytesOf(image));
    } else {
        UsbServer_Exit();
    }
    QTRY_COMPARE(HidSimControl::configImage("m1"), kit::bytesOf(image));
}

void tst_HidSimImage::parserToleratesMalformedFlash_data()
{
    QTest::addColumn<QByteArray>("flash");
    QTest::addColumn<bool>("wellFormed");
    const QByteArray factory = HidSimControl::flash("m1");
    QTest::newRow("factory flash") << factory << true;
    QByteArray noise(6912, '\0');
    QRandomGenerator random(42);
    for (char& c : noise)
        c = char(random.bounded(256));
    QTest::newRow("noise") << noise << false;
    QTest::newRow("all zero") << QByteArray(6912, '\0') << false;
    QTest::newRow("all 0xFF") << QByteArray(6912, char(0xFF)) << false;
    QByteArray endless = factory;
    for (int at = 0x440; at + 4 < 6912; at += 4) {  // macro records that never end
        endless[at] = 1;
        endless[at + 1] = 0;
        endless[at + 2] = 0;
        endless[at + 3] = 0;
    }
    QTest::newRow("macro area without end") << endless << false;
    QByteArray overlong = factory;
    overlong[0x440] = 2;           // button 2
    overlong[0x441] = 5;           // name length
    overlong[0x442] = char(200);   // more name bytes than a record holds
    QTest::newRow("name longer than a record") << overlong << false;
}

void tst_HidSimImage::parserToleratesMalformedFlash()
{
    QFETCH(QByteArray, flash);
    QFETCH(bool, wellFormed);
    QCOMPARE(flash.size(), 6912);
    FlashDataMap image;
    QCOMPARE(ProtocolDataParser(reinterpret_cast<const unsigned char*>(flash.constData()), &image), wellFormed);
}

void tst_HidSimImage::statusFlagsAndBattery()
{
    const unsigned char flags[1] = {0x65};  // stage, refresh, light bar, battery
    unsigned char out[8];
    std::memset(out, 0xEE, sizeof(out));
    GetDeviceStatusChanged(flags, out);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(out), 8), QByteArray::fromHex("01000100000101ee"));

    QVERIFY(HidSimControl::setBattery("m1", 37, true));
    Reports::clear();
    UsbServer_ReadBatteryLevel();
    Report r;
    QVERIFY(Reports::waitFor(4, &r));
    unsigned char battery[4];
    GetDeviceBatteryStatus(reinterpret_cast<const unsigned char*>(r.data.constData()), battery);
    QCOMPARE(int(battery[0]), 37);
    QCOMPARE(int(battery[1]), 1);
}

QTEST_GUILESS_MAIN(tst_HidSimImage)
#include "tst_hidsimimage.moc"
