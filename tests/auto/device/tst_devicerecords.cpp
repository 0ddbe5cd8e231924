#include "device/DeviceAllInfo.h"
#include "device/DongleRGB.h"
#include "device/FlashDataMap.h"

#include <QtTest>

#include <cstring>

class tst_DeviceRecords : public QObject
{
    Q_OBJECT

private slots:
    void defaultDevice();
    void direct_data();
    void direct();
    void versionText_data();
    void versionText();
    void equalityByPath();
    void imageCopiesEveryByte();
    void macroEventLittleEndian();
};

void tst_DeviceRecords::defaultDevice()
{
    const DeviceAllInfo info;
    QVERIFY(info.path.isEmpty());
    QCOMPARE(info.vid, QStringLiteral("0"));
    QCOMPARE(info.pid, QStringLiteral("0"));
    QCOMPARE(int(info.cid), 0);
    QCOMPARE(int(info.mid), 0);
    QCOMPARE(int(info.connectionType), 0);
    QCOMPARE(info.modelIndex, 0);
    QCOMPARE(int(info.online), 0);
    QCOMPARE(int(info.direct), 0);
    QVERIFY(info.receiverVersion.isEmpty());
    QVERIFY(info.firmwareVersion.isEmpty());
    QVERIFY(info.address.isEmpty());
}

void tst_DeviceRecords::direct_data()
{
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("direct");
    QTest::newRow("1K receiver") << 0 << 0;
    QTest::newRow("4K receiver") << 1 << 0;
    QTest::newRow("2K receiver") << 4 << 0;
    QTest::newRow("8K receiver") << 5 << 0;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("3") << 3 << 1;
    QTest::newRow("6") << 6 << 1;
    QTest::newRow("7") << 7 << 1;
    QTest::newRow("8") << 8 << 1;
    QTest::newRow("0x81") << 0x81 << 1;
    QTest::newRow("255") << 255 << 1;
}

void tst_DeviceRecords::direct()
{
    QFETCH(int, connectionType);
    QFETCH(int, direct);
    QCOMPARE(int(DeviceAllInfo::isDirectConnection(quint8(connectionType))), direct);
}

void tst_DeviceRecords::versionText_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x0A1F") << 0x0A1F << "v10.1f";
    QTest::newRow("0x0105") << 0x0105 << "v1.5";
    QTest::newRow("zero") << 0 << "v0.0";
    QTest::newRow("0x0210 keeps trailing zero") << 0x0210 << "v2.10";
    QTest::newRow("0xFFFF") << 0xFFFF << "v255.ff";
}

void tst_DeviceRecords::versionText()
{
    QFETCH(int, word);
    QFETCH(QString, text);
    QCOMPARE(DeviceAllInfo::versionText(quint16(word)), text);
    QCOMPARE(DeviceAllInfo::versionText(word / 256, word % 256), text);
}

void tst_DeviceRecords::equalityByPath()
{
    DeviceAllInfo a;
    a.path = QStringLiteral("/dev/hidsim/1");
    a.cid = 5;
    a.address = {1, 2, 3};
    DeviceAllInfo b;
    b.path = a.path;
    b.cid = 9;
    QVERIFY(a == b);

    DeviceAllInfo c = a;  // a copy keeps every field
    QCOMPARE(int(c.cid), 5);
    QCOMPARE(c.address, (QList<quint8>{1, 2, 3}));
    c.path = QStringLiteral("/dev/hidsim/2");
    QVERIFY(a != c);

    QList<DeviceAllInfo> list{c, b};
    QCOMPARE(list.indexOf(a), 1);
}

void tst_DeviceRecords::imageCopiesEveryByte()
{
    FlashDataMap zero{};
    const auto* z = reinterpret_cast<const unsigned char*>(&zero);
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        QCOMPARE(int(z[i]), 0);

    FlashDataMap image{};
    auto* raw = reinterpret_cast<unsigned char*>(&image);
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        raw[i] = static_cast<unsigned char>(i * 7 + 3);
    const FlashDataMap copy = image;
    QCOMPARE(std::memcmp(&copy, &image, sizeof image), 0);

    // Named fields sit on the bytes the device uses.
    QCOMPARE(int(image.sensorMode), int(raw[14]));
    QCOMPARE(int(image.dpiStages[7].blue), int(raw[62]));
    QCOMPARE(int(image.dpiLed.on), int(raw[66]));
    QCOMPARE(int(image.ledBar.on), int(raw[73]));
    QCOMPARE(int(image.buttons[15].param), int(raw[121]));
    QCOMPARE(int(image.keyEvents[15].events[5].delayBytes[3]), int(raw[955]));
    QCOMPARE(int(image.macros[15].events[69].delayBytes[3]), int(raw[10427]));
}

void tst_DeviceRecords::macroEventLittleEndian()
{
    MacroEvent ev{};
    ev.setCode(0x1234);
    ev.setDelay(0x0A0B0C0D);
    const auto* raw = reinterpret_cast<const unsigned char*>(&ev);
    QCOMPARE(int(raw[2]), 0x34);
    QCOMPARE(int(raw[3]), 0x12);
    QCOMPARE(int(raw[4]), 0x0D);
    QCOMPARE(int(raw[7]), 0x0A);
    QCOMPARE(int(ev.code()), 0x1234);
    QCOMPARE(ev.delay(), quint32(0x0A0B0C0D));
}

QTEST_APPLESS_MAIN(tst_DeviceRecords)
#include "tst_devicerecords.moc"
