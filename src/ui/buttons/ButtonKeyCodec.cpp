#include "ui/buttons/ButtonKeyCodec.h"

#include "device/MacroRecord.h"
#include "ui/macro/KeyTable.h"

#include <cstring>

namespace {
constexpr uint32_t kCombinationDelayMs = 10;
constexpr int kKeypadEnterUsage = 0x58;
constexpr int kEnterUsage = 0x28;

// Combination name of a modifier bit of either hand.
QString combinationModifierName(int bit)
{
    static const struct { int bit; const char* name; } kHands[] = {
        {0x01, "Ctrl"}, {0x02, "Shift"}, {0x04, "Alt"}, {0x08, "Win"},
        {0x10, "Ctrl"}, {0x20, "Shift"}, {0x40, "Alt"}, {0x80, "Win"},
    };
    for (const auto& h : kHands) {
        if (h.bit == bit)
            return QString::fromLatin1(h.name);
    }
    return QString();
}

QString usageName(int usage)
{
    if (usage == kKeypadEnterUsage)
        usage = kEnterUsage;
    const KeyTableEntry* e = KeyTable::findUsage(usage);
    return e ? e->name : QString();
}
} // namespace

QStringList ButtonKeyCodec::combinationNames(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('+'));
    QStringList names;
    for (int i = 0; i < parts.size(); ++i) {
        if (parts.at(i) == QLatin1String("Num") && i + 1 < parts.size() && parts.at(i + 1).isEmpty()) {
            names << QStringLiteral("Num+");
            ++i;
        } else {
            names << parts.at(i);
        }
    }
    return names;
}

KeyEventRecord ButtonKeyCodec::ComboKeysToRecord(const QString& text)
{
    KeyEventRecord record;
    std::memset(&record, 0, sizeof record);
    const QStringList names = combinationNames(text);
    const int count = names.size();
    if (count > kMaxCombinationNames)
        return record;
    for (int i = 0; i < count; ++i)
        record = ComboKeyNameToEvent(names.at(i), i, count, record);
    record.eventCount = uint8_t(2 * count);
    return record;
}

KeyEventRecord ButtonKeyCodec::ComboKeyNameToEvent(const QString& name, int place, int count, KeyEventRecord record)
{
    const int press = place;
    const int release = 2 * count - 1 - place;
    if (place < 0 || place >= count || release >= KeyEventRecord::kMaxEvents)
        return record;

    int kind = MacroEvent::kKeyboard;
    int code = -1;
    for (const KeyTable::CombinationModifier& m : KeyTable::combinationModifiers()) {
        if (m.name == name) {
            kind = MacroEvent::kModifier;
            code = m.bit;
        }
    }
    if (code < 0) {
        const KeyTableEntry* e = KeyTable::findName(name, KeyTable::MouseLast);
        if (e && e->kind == KeyTable::Keyboard)
            code = e->code;
    }

    const int indices[2] = {press, release};
    for (int k = 0; k < 2; ++k) {
        MacroEvent& event = record.events[indices[k]];
        event.direction = k == 0 ? MacroEvent::kPress : MacroEvent::kRelease;
        event.kind = uint8_t(kind);
        if (code >= 0)
            event.setCode(uint16_t(code));
        event.setDelay(kCombinationDelayMs);
    }
    return record;
}

void ButtonKeyCodec::MacroKeyNameToEvent(const QString& name, int eventIndex, MacroRecord* record)
{
    if (!record || eventIndex < 0 || eventIndex >= MacroRecord::kMaxEvents)
        return;
    MacroEvent& event = record->events[eventIndex];
    const KeyTableEntry* e = KeyTable::findName(name, KeyTable::MouseLast);
    if (!e) {
        event.kind = MacroEvent::kKeyboard;
        return;
    }
    event.kind = uint8_t(e->kind);
    event.setCode(uint16_t(e->code));
}

QString ButtonKeyCodec::KeyCodeToName(int code, int kind)
{
    switch (code) {
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x20:
    case 0x40:
        if (kind == MacroEvent::kModifier)
            return combinationModifierName(code);
        if (kind == MacroEvent::kKeyboard)
            return usageName(code);
        return QString();
    case 0x01:
    case 0x02:
    case 0x80:
        return combinationModifierName(code);
    default:
        return usageName(code);
    }
}
