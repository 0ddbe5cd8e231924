#include "ModelCatalogue.h"

#include "ShippedCatalogue.h"

#include "device/ConsumerFunctions.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstring>

namespace {

using Entry = QHash<QString, QString>;

// The entry ("Drive" group) whose "MID" is mid; empty when none.
Entry modelEntry(int mid)
{
    const QStringList lines = QString::fromUtf8(kShippedCatalogue).split(QLatin1Char('\n'));
    Entry entry;
    bool inDrive = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            if (inDrive && entry.value(QStringLiteral("MID")).toInt() == mid)
                return entry;
            inDrive = line.startsWith(QLatin1String("[Drive"));
            entry.clear();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!inDrive || line.startsWith(QLatin1Char(';')) || eq <= 0)
            continue;
        entry.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return inDrive && entry.value(QStringLiteral("MID")).toInt() == mid ? entry : Entry();
}

bool hexByte(const QString& text, uint8_t* out)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 16);
    if (!ok || value < 0 || value > 255)
        return false;
    *out = uint8_t(value);
    return true;
}

} // namespace

void ModelCatalogue::applyFactoryButtons(int mid, FlashDataMap* image)
{
    const Entry entry = modelEntry(mid);
    for (int k = 1; k <= 6; ++k) {
        const QStringList items = entry.value(QStringLiteral("KeyParam%1").arg(k)).split(QLatin1Char(','));
        const int button = k - 1;
        uint8_t bytes[3] = {};
        if (items.size() < 3 || !hexByte(items.at(0), &bytes[0]))
            continue;
        if (bytes[0] != 5) {
            if (items.size() != 3 || !hexByte(items.at(1), &bytes[1]) || !hexByte(items.at(2), &bytes[2]))
                continue;
            image->buttons[button] = ButtonMapping{bytes[0], bytes[1], bytes[2]};
            std::memset(&image->keyEvents[button], 0, sizeof(KeyEventRecord));
            continue;
        }
        uint8_t id = 0;
        const uint16_t usage = items.size() == 3 && hexByte(items.at(2), &id) ? consumerUsageOfId(id) : 0;
        if (usage == 0)
            continue;
        image->buttons[button] = ButtonMapping{5, 0, 0};
        image->keyEvents[button] = consumerKeyRecord(usage);
    }
}
