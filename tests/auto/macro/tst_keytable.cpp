#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/MacroRecord.h"
#include "ui/buttons/ButtonKeyCodec.h"
#include "ui/macro/KeyTable.h"
#include "ui/macro/Macro.h"

#include <QtTest>

#include <cstring>

namespace {
MacroRecord zeroRecord()
{
    MacroRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

struct Key
{
    const char* name;
    int kind;
    int code;
    int virtualKey;  // -1: none
};

// The whole fixed vocabulary, written out independently of the program's table.
const Key kVocabulary[] = {
    {"", 1, 0x00, 0x0C},
    {"A", 1, 0x04, 0x41}, {"B", 1, 0x05, 0x42}, {"C", 1, 0x06, 0x43}, {"D", 1, 0x07, 0x44},
    {"E", 1, 0x08, 0x45}, {"F", 1, 0x09, 0x46}, {"G", 1, 0x0A, 0x47}, {"H", 1, 0x0B, 0x48},
    {"I", 1, 0x0C, 0x49}, {"J", 1, 0x0D, 0x4A}, {"K", 1, 0x0E, 0x4B}, {"L", 1, 0x0F, 0x4C},
    {"M", 1, 0x10, 0x4D}, {"N", 1, 0x11, 0x4E}, {"O", 1, 0x12, 0x4F}, {"P", 1, 0x13, 0x50},
    {"Q", 1, 0x14, 0x51}, {"R", 1, 0x15, 0x52}, {"S", 1, 0x16, 0x53}, {"T", 1, 0x17, 0x54},
    {"U", 1, 0x18, 0x55}, {"V", 1, 0x19, 0x56}, {"W", 1, 0x1A, 0x57}, {"X", 1, 0x1B, 0x58},
    {"Y", 1, 0x1C, 0x59}, {"Z", 1, 0x1D, 0x5A},
    {"1", 1, 0x1E, 0x31}, {"2", 1, 0x1F, 0x32}, {"3", 1, 0x20, 0x33}, {"4", 1, 0x21, 0x34},
    {"5", 1, 0x22, 0x35}, {"6", 1, 0x23, 0x36}, {"7", 1, 0x24, 0x37}, {"8", 1, 0x25, 0x38},
    {"9", 1, 0x26, 0x39}, {"0", 1, 0x27, 0x30},
    {"Enter", 1, 0x28, 0x0D}, {"Esc", 1, 0x29, 0x1B}, {"BackSpace", 1, 0x2A, 0x08},
    {"Tab", 1, 0x2B, 0x09}, {"Space", 1, 0x2C, 0x20}, {"-", 1, 0x2D, 0xBD}, {"=", 1, 0x2E, 0xBB},
    {"[", 1, 0x2F, 0xDB}, {"]", 1, 0x30, 0xDD}, {"\\", 1, 0x31, 0xDC}, {";", 1, 0x33, 0xBA},
    {"'", 1, 0x34, 0xDE}, {"`", 1, 0x35, 0xC0}, {",", 1, 0x36, 0xBC}, {".", 1, 0x37, 0xBE},
    {"/", 1, 0x38, 0xBF}, {"CapsLock", 1, 0x39, 0x14},
    {"F1", 1, 0x3A, 0x70}, {"F2", 1, 0x3B, 0x71}, {"F3", 1, 0x3C, 0x72}, {"F4", 1, 0x3D, 0x73},
    {"F5", 1, 0x3E, 0x74}, {"F6", 1, 0x3F, 0x75}, {"F7", 1, 0x40, 0x76}, {"F8", 1, 0x41, 0x77},
    {"F9", 1, 0x42, 0x78}, {"F10", 1, 0x43, 0x79}, {"F11", 1, 0x44, 0x7A}, {"F12", 1, 0x45, 0x7B},
    {"Screen", 1, 0x46, 0x2C}, {"Scroll", 1, 0x47, 0x91}, {"Pause", 1, 0x48, 0x13},
    {"Insert", 1, 0x49, 0x2D}, {"Home", 1, 0x4A, 0x24}, {"PgUp", 1, 0x4B, 0x21},
    {"Del", 1, 0x4C, 0x2E}, {"End", 1, 0x4D, 0x23}, {"PgDn", 1, 0x4E, 0x22},
    {"\u2192", 1, 0x4F, 0x27}, {"\u2190", 1, 0x50, 0x25}, {"\u2193", 1, 0x51, 0x28},
    {"\u2191", 1, 0x52, 0x26}, {"NumLock", 1, 0x53, 0x90}, {"Num/", 1, 0x54, 0x6F},
    {"Num*", 1, 0x55, 0x6A}, {"Num-", 1, 0x56, 0x6D}, {"Num+", 1, 0x57, 0x6B},
    {"Num1", 1, 0x59, 0x61}, {"Num2", 1, 0x5A, 0x62}, {"Num3", 1, 0x5B, 0x63}, {"Num4", 1, 0x5C, 0x64},
    {"Num5", 1, 0x5D, 0x65}, {"Num6", 1, 0x5E, 0x66}, {"Num7", 1, 0x5F, 0x67}, {"Num8", 1, 0x60, 0x68},
    {"Num9", 1, 0x61, 0x69}, {"Num0", 1, 0x62, 0x60}, {"Num.", 1, 0x63, 0x6E}, {"APPs", 1, 0x65, 0x5D},
    {"LCtrl", 0, 0x01, 0xA2}, {"LShift", 0, 0x02, 0xA0}, {"LAlt", 0, 0x04, 0xA4}, {"LWin", 0, 0x08, 0x5B},
    {"RCtrl", 0, 0x10, 0xA3}, {"RShift", 0, 0x20, 0xA1}, {"RAlt", 0, 0x40, 0xA5}, {"RWin", 0, 0x80, 0x5C},
};
} // namespace

class tst_KeyTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void vocabulary_data();
    void vocabulary();
    void everyKeyOfTheTableIsInTheVocabulary();
    void fileAndDeviceReadersDiffer_data();
    void fileAndDeviceReadersDiffer();
    void virtualKeysWithoutName_data();
    void virtualKeysWithoutName();
    void mouseButtonNamesFollowTheLanguage_data();
    void mouseButtonNamesFollowTheLanguage();
    void mouseNameEqualToAKeyName_data();
    void mouseNameEqualToAKeyName();
    void deviceEventOutsideTheRecordIsNotWritten();
};

void tst_KeyTable::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    LanguageTables::clear();
    LanguageTables::load();
    QVERIFY(LanguageTables::table(LanguageSection::Buttoninterface).size() >= 9);
}

void tst_KeyTable::init()
{
    for (QString& name : g_MouseButtonNames)
        name.clear();
    g_LanguageIndex = 0;
}

void tst_KeyTable::cleanupTestCase()
{
    LanguageTables::clear();
}

void tst_KeyTable::vocabulary_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("virtualKey");
    for (const Key& k : kVocabulary) {
        const QString name = QString::fromUtf8(k.name);
        QTest::newRow(qPrintable(name.isEmpty() ? QStringLiteral("(empty)") : name))
            << name << k.kind << k.code << k.virtualKey;
    }
}

// name <-> file code/kind <-> device code/kind <-> virtual key, for every fixed key.
void tst_KeyTable::vocabulary()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, code);
    QFETCH(int, virtualKey);

    const QString text = QStringLiteral("0x%1").arg(code, 2, 16, QLatin1Char('0')).toUpper().replace("0X", "0x");
    QCOMPARE(Macro::KeyNameToHexCodes(name), (QStringList{text, QString::number(kind)}));
    QCOMPARE(Macro::KeyCodeToName(text, kind), name);

    MacroRecord record = zeroRecord();
    record.events[5].setCode(0xBEEF);
    Macro::KeyNameToDeviceEvent(name, 5, &record);
    QCOMPARE(int(record.events[5].kind), kind);
    QCOMPARE(int(record.events[5].code()), code);
    QCOMPARE(Macro::DeviceKeyToName(code, kind), name);

    bool known = false;
    QCOMPARE(KeyTable::VirtualKeyToName(virtualKey, true, &known), name);
    QVERIFY(known);
    // The combination dialog leaves modifiers to its check boxes.
    QCOMPARE(KeyTable::VirtualKeyToName(virtualKey, false), kind == 0 ? QString() : name);
}

void tst_KeyTable::everyKeyOfTheTableIsInTheVocabulary()
{
    QSet<QString> listed;
    for (const Key& k : kVocabulary)
        listed.insert(QString::fromUtf8(k.name));
    int fixed = 0;
    for (const KeyTableEntry& e : KeyTable::entries()) {
        if (e.mouseSlot >= 0)
            continue;
        ++fixed;
        QVERIFY2(listed.contains(e.name), qPrintable(e.name));
    }
    QCOMPARE(fixed, int(sizeof kVocabulary / sizeof kVocabulary[0]));
}

void tst_KeyTable::fileAndDeviceReadersDiffer_data()
{
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("deviceName");  // same code as a number, same kind

    QTest::newRow("0x04 keyboard") << "0x04" << 1 << "A" << "A";
    QTest::newRow("0x04 modifier") << "0x04" << 0 << "LAlt" << "LAlt";
    QTest::newRow("0x04 consumer") << "0x04" << 2 << "" << "";
    QTest::newRow("0x08 keyboard / modifier") << "0x08" << 0 << "LWin" << "LWin";
    QTest::newRow("0x10 modifier") << "0x10" << 0 << "RCtrl" << "RCtrl";
    QTest::newRow("0x20 keyboard") << "0x20" << 1 << "3" << "3";
    QTest::newRow("0x40 modifier") << "0x40" << 0 << "RAlt" << "RAlt";
    QTest::newRow("0x40 consumer is F7 on the device") << "0x40" << 2 << "" << "F7";
    QTest::newRow("0x01 keyboard: nothing in a file, LCtrl on the device") << "0x01" << 1 << "" << "LCtrl";
    QTest::newRow("0x02 consumer") << "0x02" << 2 << "" << "LShift";
    QTest::newRow("0x80 keyboard") << "0x80" << 1 << "" << "RWin";
    QTest::newRow("keypad Enter is Enter only on the device") << "0x58" << 1 << "" << "Enter";
    QTest::newRow("usage under another kind on the device") << "0x2B" << 2 << "" << "Tab";
    QTest::newRow("usage with modifier kind") << "0x2B" << 0 << "" << "Tab";
    QTest::newRow("unnamed usage") << "0x32" << 1 << "" << "";
    QTest::newRow("usage above the table") << "0x66" << 1 << "" << "";
}

void tst_KeyTable::fileAndDeviceReadersDiffer()
{
    QFETCH(QString, fileText);
    QFETCH(int, kind);
    QFETCH(QString, fileName);
    QFETCH(QString, deviceName);

    QCOMPARE(Macro::KeyCodeToName(fileText, kind), fileName);
    bool ok = false;
    QCOMPARE(Macro::DeviceKeyToName(fileText.toInt(&ok, 16), kind), deviceName);
    QVERIFY(ok);

    // Names read from the device go back as their own codes: keypad Enter becomes 0x28.
    if (deviceName == "Enter")
        QCOMPARE(Macro::KeyNameToHexCodes(deviceName), (QStringList{"0x28", "1"}));
}

void tst_KeyTable::virtualKeysWithoutName_data()
{
    QTest::addColumn<int>("virtualKey");
    QTest::newRow("generic Shift") << 0x10;
    QTest::newRow("generic Control") << 0x11;
    QTest::newRow("generic Alt") << 0x12;
    QTest::newRow("F13") << 0x7C;
    QTest::newRow("media key") << 0xB3;
    QTest::newRow("zero") << 0;
}

void tst_KeyTable::virtualKeysWithoutName()
{
    QFETCH(int, virtualKey);
    bool known = true;
    QCOMPARE(KeyTable::VirtualKeyToName(virtualKey, true, &known), QString());
    QVERIFY(!known);
}

void tst_KeyTable::mouseButtonNamesFollowTheLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("nextLanguage");
    QTest::newRow("English, then German") << 0 << 1;
    QTest::newRow("German, then Traditional Chinese") << 1 << 8;
    QTest::newRow("Traditional Chinese, then English") << 8 << 0;
}

void tst_KeyTable::mouseButtonNamesFollowTheLanguage()
{
    QFETCH(int, language);
    QFETCH(int, nextLanguage);

    // Before any language reaches the table the names are empty.
    QCOMPARE(Macro::KeyCodeToName("0x01", 4), QString());
    QCOMPARE(Macro::MouseCodeToName(0x01), QString());

    g_LanguageIndex = language;
    Macro page;  // applies the current language
    const int bits[5] = {0x01, 0x02, 0x04, 0x10, 0x08};
    QStringList names;
    for (int slot = 0; slot < 5; ++slot) {
        const QString expected = LanguageTables::text(LanguageSection::Buttoninterface, language, 4 + slot);
        QVERIFY(!expected.isEmpty());
        names << expected;
        QCOMPARE(g_MouseButtonNames[slot], expected);
        const QString text = QStringLiteral("0x%1").arg(bits[slot], 2, 16, QLatin1Char('0'));
        QCOMPARE(Macro::KeyCodeToName(text, 4), expected);
        QCOMPARE(Macro::MouseCodeToName(bits[slot]), expected);
        QCOMPARE(Macro::KeyNameToHexCodes(expected), (QStringList{text, "4"}));
        MacroRecord record = zeroRecord();
        Macro::KeyNameToDeviceEvent(expected, 0, &record);
        QCOMPARE(int(record.events[0].kind), 4);
        QCOMPARE(int(record.events[0].code()), bits[slot]);
    }
    QCOMPARE(Macro::MouseCodeToName(0x03), QString());
    QCOMPARE(Macro::KeyCodeToName("0x01", 1), QString());

    // The language broadcast renames them; names of the previous language are unknown then.
    PostMsg::GetInstance()->PostAllLanguage(nextLanguage);
    QCOMPARE(g_MouseButtonNames[0], LanguageTables::text(LanguageSection::Buttoninterface, nextLanguage, 4));
    for (const QString& old : names) {
        QCOMPARE(Macro::KeyNameToHexCodes(old), QStringList());
        MacroRecord record = zeroRecord();
        Macro::KeyNameToDeviceEvent(old, 3, &record);
        QCOMPARE(int(record.events[3].kind), 1);
        QCOMPARE(int(record.events[3].code()), 0);
    }
}

void tst_KeyTable::mouseNameEqualToAKeyName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("macroCodes");  // the macro page's lookup
    QTest::addColumn<int>("buttonKind");          // the button page's lookup
    QTest::addColumn<int>("buttonCode");

    // Mouse-button texts: "Tab", "F5", "LWin", "", "Back".
    QTest::newRow("a key name stays the key") << "Tab" << QStringList{"0x2B", "1"} << 1 << 0x2B;
    QTest::newRow("a function-key name is the mouse button on the macro page")
        << "F5" << QStringList{"0x02", "4"} << 1 << 0x3E;
    QTest::newRow("a modifier name stays the modifier") << "LWin" << QStringList{"0x08", "0"} << 0 << 0x08;
    QTest::newRow("the empty name stays usage 0") << "" << QStringList{"0x00", "1"} << 1 << 0;
    QTest::newRow("a plain mouse name") << "Back" << QStringList{"0x08", "4"} << 4 << 0x08;
}

void tst_KeyTable::mouseNameEqualToAKeyName()
{
    QFETCH(QString, name);
    QFETCH(QStringList, macroCodes);
    QFETCH(int, buttonKind);
    QFETCH(int, buttonCode);

    const QString texts[5] = {"Tab", "F5", "LWin", "", "Back"};
    for (int i = 0; i < 5; ++i)
        g_MouseButtonNames[i] = texts[i];

    QCOMPARE(Macro::KeyNameToHexCodes(name), macroCodes);
    MacroRecord record = zeroRecord();
    ButtonKeyCodec::MacroKeyNameToEvent(name, 69, &record);
    QCOMPARE(int(record.events[69].kind), buttonKind);
    QCOMPARE(int(record.events[69].code()), buttonCode);
}

void tst_KeyTable::deviceEventOutsideTheRecordIsNotWritten()
{
    MacroRecord record = zeroRecord();
    const MacroRecord before = record;
    for (int index : {-1, MacroRecord::kMaxEvents, 1000}) {
        Macro::KeyNameToDeviceEvent("A", index, &record);
        ButtonKeyCodec::MacroKeyNameToEvent("A", index, &record);
    }
    Macro::KeyNameToDeviceEvent("A", 0, nullptr);
    QCOMPARE(std::memcmp(&record, &before, sizeof record), 0);
}

QTEST_MAIN(tst_KeyTable)
#include "tst_keytable.moc"
