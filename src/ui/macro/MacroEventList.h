#pragma once

#include "ui/macro/MacroRow.h"

#include <QString>
#include <QVector>

class QListWidget;
class QListWidgetItem;

// The rows of the macro page's event list. A row is a key event (item type 0
// press, 1 release; its file code and kind kept in the item's data) or a pause
// (a text "<n>ms"). The insert and delete rules keep a list of key rows with a
// pause between each two.
class MacroEventList
{
public:
    static constexpr int kCodeRole = 0x0100;  // Qt::UserRole
    static constexpr int kKindRole = 0x0101;
    static constexpr int kReleaseType = 1;

    // Pictures are taken from `pictureFolder` (ending in "/").
    static QListWidgetItem* keyItem(const QString& name, const MacroRow& key, const QString& pictureFolder);
    static QListWidgetItem* delayItem(quint32 ms, const QString& pictureFolder);

    static bool isDelay(const QListWidgetItem* item);
    static MacroRow rowOf(const QListWidgetItem* item);
    static QVector<MacroRow> rows(const QListWidget* list);
    static int keyEvents(const QListWidget* list);

    // The insertion rules at the list's current row; the key and click rules
    // leave the current row where it was. Each takes ownership of its items.
    static void insertKey(QListWidget* list, QListWidgetItem* key, const QString& pictureFolder);
    static void insertClick(QListWidget* list, QListWidgetItem* press, QListWidgetItem* release,
                            const QString& pictureFolder);
    // False when nothing changed (the first row is selected, or no row).
    static bool insertDelay(QListWidget* list, quint32 ms, const QString& pictureFolder);

    enum class Removed { Nothing, All, Event };
    // Fewer than 4 rows: all of them. Else the current key row with its pause
    // after it (the last row with the pause before it), or the current pause
    // with the key row before it.
    static Removed removeCurrent(QListWidget* list);

private:
    static void insertAt(QListWidget* list, int position, QListWidgetItem* item);
};
