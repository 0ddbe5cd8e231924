#include "ui/macro/MacroRecordCodec.h"

#include "device/DeviceText.h"
#include "device/MacroRecord.h"
#include "ui/macro/KeyTable.h"

#include <cstring>
#include <limits>

namespace {

// The device's key of a file row; a row without a known key is the empty key.
void setKey(const MacroRow& row, MacroEvent* event)
{
    bool ok = false;
    const int code = row.code.mid(2).toInt(&ok, 16);
    const bool known = ok && row.code.startsWith(QLatin1String("0x"))
        && (row.kind == KeyTable::Keyboard || row.kind == KeyTable::Modifier || row.kind == KeyTable::Mouse);
    event->direction = row.release ? MacroEvent::kRelease : MacroEvent::kPress;
    event->kind = uint8_t(known ? row.kind : KeyTable::Keyboard);
    event->setCode(uint16_t(known ? code : 0));
    event->setDelay(0);
}

// The file row of a device event, named as the editor names device events.
MacroRow rowOf(const MacroEvent& event)
{
    const bool release = event.direction != MacroEvent::kPress;
    const MacroRow emptyKey = MacroRow::key(KeyTable::codeText(0), KeyTable::Keyboard, release);
    if (event.kind == MacroEvent::kMouse) {
        for (const KeyTableEntry& e : KeyTable::entries()) {
            if (e.kind == KeyTable::Mouse && e.code == event.code())
                return MacroRow::key(KeyTable::codeText(e.code), KeyTable::Mouse, release);
        }
        return emptyKey;
    }
    // The fixed names come first, so a mouse-button name of the language
    // never stands for a keyboard key here.
    const KeyTableEntry* entry =
        KeyTable::findName(KeyTable::DeviceKeyToName(event.code(), event.kind), KeyTable::MouseLast);
    if (!entry || entry->mouseSlot >= 0)
        return emptyKey;
    return MacroRow::key(KeyTable::codeText(entry->code), entry->kind, release);
}

} // namespace

MacroRecordCodec::Result MacroRecordCodec::build(const QString& name, const QVector<MacroRow>& rows,
                                                 MacroRecord* record)
{
    int keys = 0;
    for (const MacroRow& row : rows)
        keys += row.isDelay() ? 0 : 1;
    if (keys > MacroRecord::kMaxEvents)
        return Result::TooManyEvents;

    MacroRecord built;
    std::memset(&built, 0, sizeof built);
    const QByteArray bytes = DeviceText::encode(name, MacroRecord::kMaxNameBytes);
    built.nameLength = uint8_t(bytes.size());
    std::memcpy(built.name, bytes.constData(), size_t(bytes.size()));

    int e = -1;
    for (const MacroRow& row : rows) {
        if (!row.isDelay()) {
            setKey(row, &built.events[++e]);
        } else if (e >= 0) {
            MacroEvent& event = built.events[e];
            const quint64 sum = quint64(event.delay()) + row.delayMs;
            event.setDelay(quint32(qMin<quint64>(sum, std::numeric_limits<quint32>::max())));
        }
    }
    built.eventCount = uint8_t(keys);
    *record = built;
    return Result::Ok;
}

QString MacroRecordCodec::name(const MacroRecord& record)
{
    return DeviceText::decode(record.name, MacroRecord::kMaxNameBytes);
}

bool MacroRecordCodec::read(const MacroRecord& record, QString* name, QVector<MacroRow>* rows)
{
    const QString text = MacroRecordCodec::name(record);
    if (text.isEmpty())
        return false;
    const int count = qMin(int(record.eventCount), int(MacroRecord::kMaxEvents));
    QVector<MacroRow> out;
    for (int e = 0; e < count; ++e) {
        if (e > 0)
            out << MacroRow::delay(record.events[e - 1].delay());
        out << rowOf(record.events[e]);
    }
    *name = text;
    *rows = out;
    return true;
}
