#include "app/Globals.h"
#include "device/MacroRecord.h"
#include "ui/buttons/ButtonKeyCodec.h"
#include "ui/macro/KeyTable.h"

#include <QtTest>

#include <cstring>

namespace {
QByteArray bytesOf(const KeyEventRecord& r)
{
    return QByteArray(reinterpret_cast<const char*>(&r), int(sizeof r));
}

// One event as the test writes it: direction, kind, code; the delay is 10 ms.
QByteArray ev(int up, int kind, int code)
{
    QByteArray e(8, '\0');
    e[0] = char(up);
    e[1] = char(kind);
    e[2] = char(code & 0xFF);
    e[3] = char(code >> 8);
    e[4] = 10;
    return e;
}

QByteArray record(int count, const QList<QByteArray>& events)
{
    QByteArray r(4, '\0');
    r[0] = char(count);
    for (const QByteArray& e : events)
        r += e;
    r.append(QByteArray(52 - r.size(), '\0'));
    return r;
}
} // namespace

class tst_ButtonKeyCodec : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void combinationRecords_data();
    void combinationRecords();
    void combinationNameOutsideTheRecord();
    void deviceCodesToNames_data();
    void deviceCodesToNames();
    void everyKeyboardNameRoundTrips();
    void macroNamesToEvents_data();
    void macroNamesToEvents();
};

void tst_ButtonKeyCodec::init()
{
    const char* names[5] = {"Left", "Right", "Middle", "Forward", "Back"};
    for (int i = 0; i < 5; ++i)
        g_MouseButtonNames[i] = QString::fromLatin1(names[i]);
}

void tst_ButtonKeyCodec::combinationRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("one key") << "A" << record(2, {ev(0, 1, 4), ev(1, 1, 4)});
    QTest::newRow("Ctrl+A, exact bytes")
        << "Ctrl+A"
        << QByteArray::fromHex("04000000"
                               "000001000A000000"
                               "000104000A000000"
                               "010104000A000000"
                               "010001000A000000"
                               "00000000000000000000000000000000");
    QTest::newRow("presses in order, releases reversed")
        << "Ctrl+Shift+A"
        << record(6, {ev(0, 0, 1), ev(0, 0, 2), ev(0, 1, 4), ev(1, 1, 4), ev(1, 0, 2), ev(1, 0, 1)});
    QTest::newRow("F") << "F" << record(2, {ev(0, 1, 9), ev(1, 1, 9)});
    QTest::newRow("Alt and Win") << "Alt+Win" << record(4, {ev(0, 0, 4), ev(0, 0, 8), ev(1, 0, 8), ev(1, 0, 4)});
    QTest::newRow("trailing plus is an empty name")
        << "Ctrl+" << record(4, {ev(0, 0, 1), ev(0, 1, 0), ev(1, 1, 0), ev(1, 0, 1)});
    QTest::newRow("empty text") << "" << record(2, {ev(0, 1, 0), ev(1, 1, 0)});
    QTest::newRow("lower-case ctrl is no modifier") << "ctrl" << record(2, {ev(0, 1, 0), ev(1, 1, 0)});
    QTest::newRow("macro modifier names are not combination names")
        << "LCtrl" << record(2, {ev(0, 1, 0), ev(1, 1, 0)});
    QTest::newRow("mouse names are not combination names")
        << "Left" << record(2, {ev(0, 1, 0), ev(1, 1, 0)});
    QTest::newRow("keypad plus alone") << "Num+" << record(2, {ev(0, 1, 0x57), ev(1, 1, 0x57)});
    QTest::newRow("keypad plus then A")
        << "Num++A" << record(4, {ev(0, 1, 0x57), ev(0, 1, 4), ev(1, 1, 4), ev(1, 1, 0x57)});
    QTest::newRow("Shift with keypad plus last")
        << "Shift+Num+" << record(4, {ev(0, 0, 2), ev(0, 1, 0x57), ev(1, 1, 0x57), ev(1, 0, 2)});
    QTest::newRow("arrow and backslash")
        << QString::fromUtf8("\u2190+\\")
        << record(4, {ev(0, 1, 0x50), ev(0, 1, 0x31), ev(1, 1, 0x31), ev(1, 1, 0x50)});
    QTest::newRow("four names are refused") << "Ctrl+Shift+Alt+A" << QByteArray(52, '\0');
    QTest::newRow("four empty names are refused") << "+++" << QByteArray(52, '\0');
}

void tst_ButtonKeyCodec::combinationRecords()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(bytesOf(ButtonKeyCodec::ComboKeysToRecord(text)).toHex(' '), bytes.toHex(' '));
}

void tst_ButtonKeyCodec::combinationNameOutsideTheRecord()
{
    KeyEventRecord r;
    std::memset(&r, 0x5A, sizeof r);
    const QByteArray before = bytesOf(r);
    // Four names would need events 0..7; places that do not fit change nothing.
    QCOMPARE(bytesOf(ButtonKeyCodec::ComboKeyNameToEvent("A", 0, 4, r)), before);
    QCOMPARE(bytesOf(ButtonKeyCodec::ComboKeyNameToEvent("A", -1, 2, r)), before);
    QCOMPARE(bytesOf(ButtonKeyCodec::ComboKeyNameToEvent("A", 2, 2, r)), before);
    // A name found nowhere keeps the code it had.
    const KeyEventRecord kept = ButtonKeyCodec::ComboKeyNameToEvent("nothing", 1, 3, r);
    QCOMPARE(int(kept.events[1].kind), 1);
    QCOMPARE(int(kept.events[1].code()), 0x5A5A);
    QCOMPARE(int(kept.events[4].direction), 1);
}

void tst_ButtonKeyCodec::deviceCodesToNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");

    QTest::newRow("91 keyboard") << 91 << 1 << "Num3";
    QTest::newRow("32 modifier") << 32 << 0 << "Shift";
    QTest::newRow("32 keyboard") << 32 << 1 << "3";
    QTest::newRow("32 mouse") << 32 << 4 << "";
    QTest::newRow("16 modifier") << 16 << 0 << "Ctrl";
    QTest::newRow("4 modifier") << 4 << 0 << "Alt";
    QTest::newRow("4 keyboard") << 4 << 1 << "A";
    QTest::newRow("8 modifier") << 8 << 0 << "Win";
    QTest::newRow("64 modifier") << 64 << 0 << "Alt";
    QTest::newRow("64 keyboard") << 64 << 1 << "F7";
    QTest::newRow("64 consumer") << 64 << 2 << "";
    QTest::newRow("1 keyboard") << 1 << 1 << "Ctrl";
    QTest::newRow("2 mouse") << 2 << 4 << "Shift";
    QTest::newRow("128 keyboard") << 128 << 1 << "Win";
    QTest::newRow("keypad Enter") << 88 << 1 << "Enter";
    QTest::newRow("usage with consumer kind") << 43 << 2 << "Tab";
    QTest::newRow("zero") << 0 << 1 << "";
    QTest::newRow("unnamed usage") << 50 << 1 << "";
    QTest::newRow("beyond the table") << 0x1234 << 1 << "";
}

void tst_ButtonKeyCodec::deviceCodesToNames()
{
    QFETCH(int, code);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QCOMPARE(ButtonKeyCodec::KeyCodeToName(code, kind), name);
}

void tst_ButtonKeyCodec::everyKeyboardNameRoundTrips()
{
    int keys = 0;
    for (const KeyTableEntry& e : KeyTable::entries()) {
        if (e.kind != KeyTable::Keyboard || e.name.isEmpty())
            continue;
        ++keys;
        const KeyEventRecord r = ButtonKeyCodec::ComboKeysToRecord(e.name);
        QCOMPARE(int(r.eventCount), 2);
        QCOMPARE(ButtonKeyCodec::KeyCodeToName(r.events[0].code(), r.events[0].kind), e.name);
        QCOMPARE(ButtonKeyCodec::KeyCodeToName(r.events[1].code(), r.events[1].kind), e.name);
    }
    QVERIFY(keys > 90);
    for (const KeyTable::CombinationModifier& m : KeyTable::combinationModifiers()) {
        const KeyEventRecord r = ButtonKeyCodec::ComboKeysToRecord(m.name + "+A");
        QCOMPARE(int(r.events[0].kind), 0);
        QCOMPARE(ButtonKeyCodec::KeyCodeToName(r.events[0].code(), 0), m.name);
    }
}

void tst_ButtonKeyCodec::macroNamesToEvents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");

    QTest::newRow("RWin") << "RWin" << 0 << 128;
    QTest::newRow("LShift") << "LShift" << 0 << 2;
    QTest::newRow("third mouse name") << "Middle" << 4 << 4;
    QTest::newRow("fourth mouse name is forward") << "Forward" << 4 << 16;
    QTest::newRow("fifth mouse name is back") << "Back" << 4 << 8;
    QTest::newRow("key") << "Num." << 1 << 0x63;
    QTest::newRow("F12") << "F12" << 1 << 0x45;
    QTest::newRow("combination modifier is unknown here") << "Ctrl" << 1 << 0x7777;
    QTest::newRow("unknown keeps the code") << "nothing" << 1 << 0x7777;
}

void tst_ButtonKeyCodec::macroNamesToEvents()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, code);

    MacroRecord r;
    std::memset(&r, 0, sizeof r);
    r.events[7].direction = 1;
    r.events[7].kind = 9;
    r.events[7].setCode(0x7777);
    r.events[7].setDelay(1234);
    ButtonKeyCodec::MacroKeyNameToEvent(name, 7, &r);
    QCOMPARE(int(r.events[7].kind), kind);
    QCOMPARE(int(r.events[7].code()), code);
    QCOMPARE(int(r.events[7].direction), 1);
    QCOMPARE(int(r.events[7].delay()), 1234);
    QCOMPARE(int(r.events[6].kind), 0);
}

QTEST_MAIN(tst_ButtonKeyCodec)
#include "tst_buttonkeycodec.moc"
