#include "ui/macro/KeyTable.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "device/MacroRecord.h"

namespace {

struct KeyRow
{
    const char* name;  // UTF-8
    int usage;
    int virtualKey;
};

// Keyboard keys other than F1..F12, in usage order.
const KeyRow kKeyboardRows[] = {
    {"", 0x00, 0x0C},  // also the Clear key
    {"A", 0x04, 0x41}, {"B", 0x05, 0x42}, {"C", 0x06, 0x43}, {"D", 0x07, 0x44}, {"E", 0x08, 0x45},
    {"F", 0x09, 0x46}, {"G", 0x0A, 0x47}, {"H", 0x0B, 0x48}, {"I", 0x0C, 0x49}, {"J", 0x0D, 0x4A},
    {"K", 0x0E, 0x4B}, {"L", 0x0F, 0x4C}, {"M", 0x10, 0x4D}, {"N", 0x11, 0x4E}, {"O", 0x12, 0x4F},
    {"P", 0x13, 0x50}, {"Q", 0x14, 0x51}, {"R", 0x15, 0x52}, {"S", 0x16, 0x53}, {"T", 0x17, 0x54},
    {"U", 0x18, 0x55}, {"V", 0x19, 0x56}, {"W", 0x1A, 0x57}, {"X", 0x1B, 0x58}, {"Y", 0x1C, 0x59},
    {"Z", 0x1D, 0x5A},
    {"1", 0x1E, 0x31}, {"2", 0x1F, 0x32}, {"3", 0x20, 0x33}, {"4", 0x21, 0x34}, {"5", 0x22, 0x35},
    {"6", 0x23, 0x36}, {"7", 0x24, 0x37}, {"8", 0x25, 0x38}, {"9", 0x26, 0x39}, {"0", 0x27, 0x30},
    {"Enter", 0x28, 0x0D}, {"Esc", 0x29, 0x1B}, {"BackSpace", 0x2A, 0x08}, {"Tab", 0x2B, 0x09},
    {"Space", 0x2C, 0x20}, {"-", 0x2D, 0xBD}, {"=", 0x2E, 0xBB}, {"[", 0x2F, 0xDB}, {"]", 0x30, 0xDD},
    {"\\", 0x31, 0xDC}, {";", 0x33, 0xBA}, {"'", 0x34, 0xDE}, {"`", 0x35, 0xC0}, {",", 0x36, 0xBC},
    {".", 0x37, 0xBE}, {"/", 0x38, 0xBF}, {"CapsLock", 0x39, 0x14},
    {"Screen", 0x46, 0x2C}, {"Scroll", 0x47, 0x91}, {"Pause", 0x48, 0x13}, {"Insert", 0x49, 0x2D},
    {"Home", 0x4A, 0x24}, {"PgUp", 0x4B, 0x21}, {"Del", 0x4C, 0x2E}, {"End", 0x4D, 0x23},
    {"PgDn", 0x4E, 0x22}, {"\u2192", 0x4F, 0x27}, {"\u2190", 0x50, 0x25}, {"\u2193", 0x51, 0x28},
    {"\u2191", 0x52, 0x26}, {"NumLock", 0x53, 0x90}, {"Num/", 0x54, 0x6F}, {"Num*", 0x55, 0x6A},
    {"Num-", 0x56, 0x6D}, {"Num+", 0x57, 0x6B},
    {"Num1", 0x59, 0x61}, {"Num2", 0x5A, 0x62}, {"Num3", 0x5B, 0x63}, {"Num4", 0x5C, 0x64},
    {"Num5", 0x5D, 0x65}, {"Num6", 0x5E, 0x66}, {"Num7", 0x5F, 0x67}, {"Num8", 0x60, 0x68},
    {"Num9", 0x61, 0x69}, {"Num0", 0x62, 0x60}, {"Num.", 0x63, 0x6E}, {"APPs", 0x65, 0x5D},
};

const KeyRow kModifierRows[] = {
    {"LCtrl", 0x01, 0xA2}, {"LShift", 0x02, 0xA0}, {"LAlt", 0x04, 0xA4}, {"LWin", 0x08, 0x5B},
    {"RCtrl", 0x10, 0xA3}, {"RShift", 0x20, 0xA1}, {"RAlt", 0x40, 0xA5}, {"RWin", 0x80, 0x5C},
};

// Mouse-button bits of g_MouseButtonNames[0..4]: forward (0x10) before back (0x08).
const int kMouseBits[5] = {0x01, 0x02, 0x04, 0x10, 0x08};

constexpr int kFirstFunctionKeyUsage = 0x3A;  // F1 .. F12 = 0x3A .. 0x45
constexpr int kFirstFunctionKeyVirtualKey = 0x70;
constexpr int kKeypadEnterUsage = 0x58;

QVector<KeyTableEntry> buildEntries()
{
    QVector<KeyTableEntry> rows;
    for (const KeyRow& r : kKeyboardRows)
        rows.append({QString::fromUtf8(r.name), KeyTable::Keyboard, r.usage, r.virtualKey, -1});
    for (const KeyRow& r : kModifierRows)
        rows.append({QString::fromUtf8(r.name), KeyTable::Modifier, r.usage, r.virtualKey, -1});
    for (int slot = 0; slot < 5; ++slot)
        rows.append({QString(), KeyTable::Mouse, kMouseBits[slot], -1, slot});
    for (int i = 0; i < 12; ++i)
        rows.append({QStringLiteral("F%1").arg(i + 1), KeyTable::Keyboard, kFirstFunctionKeyUsage + i,
                     kFirstFunctionKeyVirtualKey + i, -1});
    return rows;
}

const KeyTableEntry* findCode(int code, int kind)
{
    for (const KeyTableEntry& e : KeyTable::entries()) {
        if (e.kind == kind && e.code == code)
            return &e;
    }
    return nullptr;
}

} // namespace

const QVector<KeyTableEntry>& KeyTable::entries()
{
    static const QVector<KeyTableEntry> rows = buildEntries();
    return rows;
}

QString KeyTable::nameOf(const KeyTableEntry& entry)
{
    if (entry.mouseSlot >= 0)
        return g_MouseButtonNames[entry.mouseSlot];
    return entry.name;
}

const KeyTableEntry* KeyTable::findName(const QString& name, NameOrder order)
{
    const QVector<KeyTableEntry>& rows = entries();
    if (order == MouseBeforeFunctionKeys) {
        for (const KeyTableEntry& e : rows) {
            if (nameOf(e) == name)
                return &e;
        }
        return nullptr;
    }
    for (const KeyTableEntry& e : rows) {
        if (e.mouseSlot < 0 && e.name == name)
            return &e;
    }
    for (const KeyTableEntry& e : rows) {
        if (e.mouseSlot >= 0 && nameOf(e) == name)
            return &e;
    }
    return nullptr;
}

const KeyTableEntry* KeyTable::findUsage(int usage)
{
    return findCode(usage, Keyboard);
}

QString KeyTable::codeText(int code)
{
    return QStringLiteral("0x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString KeyTable::KeyCodeToName(const QString& text, int kind)
{
    for (const KeyTableEntry& e : entries()) {
        if (e.kind == kind && codeText(e.code) == text)
            return nameOf(e);
    }
    return QString();
}

QStringList KeyTable::KeyNameToHexCodes(const QString& name)
{
    const KeyTableEntry* e = findName(name);
    if (!e)
        return {};
    return {codeText(e->code), QString::number(e->kind)};
}

void KeyTable::KeyNameToDeviceEvent(const QString& name, int eventIndex, MacroRecord* record)
{
    if (!record || eventIndex < 0 || eventIndex >= MacroRecord::kMaxEvents)
        return;
    MacroEvent& event = record->events[eventIndex];
    const KeyTableEntry* e = findName(name);
    if (!e) {
        event.kind = Keyboard;
        return;
    }
    event.kind = uint8_t(e->kind);
    event.setCode(uint16_t(e->code));
}

QString KeyTable::DeviceKeyToName(int code, int kind)
{
    switch (code) {
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x20:
        if (kind == Modifier || kind == Keyboard) {
            const KeyTableEntry* e = findCode(code, kind);
            return e ? e->name : QString();
        }
        return QString();
    case 0x40:
        return kind == Modifier ? findCode(code, Modifier)->name : findUsage(code)->name;
    case 0x01:
    case 0x02:
    case 0x80:
        return findCode(code, Modifier)->name;
    case kKeypadEnterUsage:
        return findUsage(0x28)->name;
    default:
        break;
    }
    const KeyTableEntry* e = findUsage(code);
    return e ? e->name : QString();
}

QString KeyTable::MouseCodeToName(int code)
{
    const KeyTableEntry* e = findCode(code, Mouse);
    return e ? nameOf(*e) : QString();
}

QString KeyTable::VirtualKeyToName(int virtualKey, bool withModifiers, bool* known)
{
    for (const KeyTableEntry& e : entries()) {
        if (e.virtualKey >= 0 && e.virtualKey == virtualKey && (withModifiers || e.kind != Modifier)) {
            if (known)
                *known = true;
            return e.name;
        }
    }
    if (known)
        *known = false;
    return QString();
}

const QVector<KeyTable::CombinationModifier>& KeyTable::combinationModifiers()
{
    static const QVector<CombinationModifier> rows = {
        {QStringLiteral("Ctrl"), 0x01},
        {QStringLiteral("Shift"), 0x02},
        {QStringLiteral("Alt"), 0x04},
        {QStringLiteral("Win"), 0x08},
    };
    return rows;
}

void KeyTable::SetMouseButtonNames(int language)
{
    for (int slot = 0; slot < 5; ++slot)
        g_MouseButtonNames[slot] = LanguageTables::text(LanguageSection::Buttoninterface, language, 4 + slot);
}
