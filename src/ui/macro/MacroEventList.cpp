#include "ui/macro/MacroEventList.h"

#include "ui/macro/MacroFile.h"

#include <QListWidget>

namespace {
constexpr quint32 kInsertedDelayMs = 10;
}

QListWidgetItem* MacroEventList::keyItem(const QString& name, const MacroRow& key, const QString& pictureFolder)
{
    auto* item = new QListWidgetItem(
        QIcon(pictureFolder + (key.release ? QStringLiteral("MacroUp.png") : QStringLiteral("MacroDown.png"))), name,
        nullptr, key.release ? kReleaseType : QListWidgetItem::Type);
    item->setData(kCodeRole, key.code);
    item->setData(kKindRole, key.kind);
    return item;
}

QListWidgetItem* MacroEventList::delayItem(quint32 ms, const QString& pictureFolder)
{
    return new QListWidgetItem(QIcon(pictureFolder + QStringLiteral("MacroTime.png")), MacroFile::delayText(ms));
}

bool MacroEventList::isDelay(const QListWidgetItem* item)
{
    return item && item->text().contains(QLatin1String("ms"));
}

MacroRow MacroEventList::rowOf(const QListWidgetItem* item)
{
    if (isDelay(item)) {
        quint32 ms = 0;
        MacroFile::parseDelayText(item->text(), &ms);
        return MacroRow::delay(ms);
    }
    return MacroRow::key(item->data(kCodeRole).toString(), item->data(kKindRole).toInt(),
                         item->type() == kReleaseType);
}

QVector<MacroRow> MacroEventList::rows(const QListWidget* list)
{
    QVector<MacroRow> out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out << rowOf(list->item(i));
    return out;
}

int MacroEventList::keyEvents(const QListWidget* list)
{
    int keys = 0;
    for (int i = 0; i < list->count(); ++i)
        keys += isDelay(list->item(i)) ? 0 : 1;
    return keys;
}

void MacroEventList::insertAt(QListWidget* list, int position, QListWidgetItem* item)
{
    list->insertItem(qMin(position, list->count()), item);
}

void MacroEventList::insertKey(QListWidget* list, QListWidgetItem* key, const QString& pictureFolder)
{
    const int r = list->currentRow();
    const int n = list->count();
    QListWidgetItem* pause = delayItem(kInsertedDelayMs, pictureFolder);
    const QSignalBlocker quiet(list);  // the current row stays where it is
    QListWidgetItem* current = list->currentItem();
    if (r == 0) {
        insertAt(list, 2, key);
        insertAt(list, 3, pause);
    } else if (r < 0) {
        insertAt(list, n, key);
        insertAt(list, n + 1, pause);
    } else if (r == n - 1) {
        insertAt(list, n, pause);
        insertAt(list, n + 1, key);
    } else if (!isDelay(list->item(r))) {
        insertAt(list, r + 2, key);
        insertAt(list, r + 3, pause);
    } else {
        insertAt(list, r + 1, key);
        insertAt(list, r + 2, pause);
    }
    list->setCurrentItem(current);
}

void MacroEventList::insertClick(QListWidget* list, QListWidgetItem* press, QListWidgetItem* release,
                                 const QString& pictureFolder)
{
    const int r = list->currentRow();
    const int n = list->count();
    const QSignalBlocker quiet(list);
    QListWidgetItem* current = list->currentItem();
    auto pause = [&] { return delayItem(kInsertedDelayMs, pictureFolder); };
    if (r == 0) {
        insertAt(list, 2, press);
        insertAt(list, 3, pause());
        insertAt(list, 4, release);
        insertAt(list, 5, pause());
    } else if (r < 0 && n == 0) {
        insertAt(list, 0, press);
        insertAt(list, 1, pause());
        insertAt(list, 2, release);
    } else if (r < 0 || r == n - 1) {
        insertAt(list, n, pause());
        insertAt(list, n + 1, press);
        insertAt(list, n + 2, pause());
        insertAt(list, n + 3, release);
    } else if (!isDelay(list->item(r))) {
        insertAt(list, r + 1, pause());
        insertAt(list, r + 2, press);
        insertAt(list, r + 3, pause());
        insertAt(list, r + 4, release);
    } else {
        insertAt(list, r + 1, press);
        insertAt(list, r + 2, pause());
        insertAt(list, r + 3, release);
        insertAt(list, r + 4, pause());
    }
    list->setCurrentItem(current);
}

bool MacroEventList::insertDelay(QListWidget* list, quint32 ms, const QString& pictureFolder)
{
    const int r = list->currentRow();
    if (r <= 0)
        return false;
    int target = -1;
    if (isDelay(list->item(r)))
        target = r;
    else if (isDelay(list->item(r - 1)))
        target = r - 1;
    if (target >= 0) {
        list->item(target)->setText(MacroFile::delayText(ms));
        list->setCurrentRow(target);
        return true;
    }
    list->insertItem(r, delayItem(ms, pictureFolder));
    list->setCurrentRow(r);
    return true;
}

MacroEventList::Removed MacroEventList::removeCurrent(QListWidget* list)
{
    const int n = list->count();
    if (n < 4) {
        list->clear();
        return Removed::All;
    }
    const int r = list->currentRow();
    if (r < 0)
        return Removed::Nothing;
    int first = r;
    if (r == n - 1)
        first = r - 1;
    else if (isDelay(list->item(r)))
        first = r - 1;
    if (first < 0)
        first = 0;
    delete list->takeItem(first + 1);
    delete list->takeItem(first);
    return Removed::Event;
}
