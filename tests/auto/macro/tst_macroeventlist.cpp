#include "ui/macro/MacroEventList.h"

#include <QListWidget>
#include <QTest>

namespace {

// Lists are written as texts joined by ",": "+A" a press of A, "-A" a release,
// "10ms" a pause. A new key is "+K", a click "+L" and "-L".
void fill(QListWidget* list, const QString& rows)
{
    list->clear();
    if (rows.isEmpty())
        return;
    for (const QString& text : rows.split(',')) {
        if (text.endsWith("ms"))
            list->addItem(MacroEventList::delayItem(text.chopped(2).toUInt(), QString()));
        else
            list->addItem(
                MacroEventList::keyItem(text.mid(1), MacroRow::key("0x04", 1, text.startsWith('-')), QString()));
    }
}

QString shown(const QListWidget* list)
{
    QStringList parts;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        parts << (MacroEventList::isDelay(item) ? item->text()
                                                : (MacroEventList::rowOf(item).release ? "-" : "+") + item->text());
    }
    return parts.join(',');
}

} // namespace

// The event list's insert and delete rules, from the row selected.
class TestMacroEventList : public QObject
{
    Q_OBJECT

private slots:
    void edit_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("rowAfter");

        // Key events.
        QTest::newRow("key into empty list") << "" << -1 << "key" << "+K,10ms" << -1;
        QTest::newRow("key after the only row") << "+A" << 0 << "key" << "+A,+K,10ms" << 0;
        QTest::newRow("key, first row selected") << "+A,5ms,-A" << 0 << "key" << "+A,5ms,+K,10ms,-A" << 0;
        QTest::newRow("key, nothing selected") << "+A,5ms,-A" << -1 << "key" << "+A,5ms,-A,+K,10ms" << -1;
        QTest::newRow("key, last row selected") << "+A,5ms,-A" << 2 << "key" << "+A,5ms,-A,10ms,+K" << 2;
        QTest::newRow("key after a key row")
            << "+A,5ms,-A,6ms,+B" << 2 << "key" << "+A,5ms,-A,6ms,+K,10ms,+B" << 2;
        QTest::newRow("key after a pause") << "+A,5ms,-A,6ms,+B" << 1 << "key" << "+A,5ms,+K,10ms,-A,6ms,+B" << 1;
        // Mouse clicks.
        QTest::newRow("click into empty list") << "" << -1 << "click" << "+L,10ms,-L" << -1;
        QTest::newRow("click, first row") << "+A,5ms,-A" << 0 << "click" << "+A,5ms,+L,10ms,-L,10ms,-A" << 0;
        QTest::newRow("click, nothing selected") << "+A" << -1 << "click" << "+A,10ms,+L,10ms,-L" << -1;
        QTest::newRow("click after a key row")
            << "+A,5ms,-A,6ms,+B" << 2 << "click" << "+A,5ms,-A,10ms,+L,10ms,-L,6ms,+B" << 2;
        QTest::newRow("click after a pause")
            << "+A,5ms,-A,6ms,+B" << 1 << "click" << "+A,5ms,+L,10ms,-L,10ms,-A,6ms,+B" << 1;
        // Pauses (the chosen value 77).
        QTest::newRow("pause, first row: nothing") << "+A,5ms,-A" << 0 << "pause" << "+A,5ms,-A" << 0;
        QTest::newRow("pause, nothing selected") << "+A,5ms,-A" << -1 << "pause" << "+A,5ms,-A" << -1;
        QTest::newRow("pause replaces the selected pause") << "+A,5ms,-A" << 1 << "pause" << "+A,77ms,-A" << 1;
        QTest::newRow("pause replaces the one before the key") << "+A,5ms,-A" << 2 << "pause" << "+A,77ms,-A" << 1;
        QTest::newRow("pause between two key rows") << "+A,-A" << 1 << "pause" << "+A,77ms,-A" << 1;
        // Deletes.
        QTest::newRow("three rows: all go, whatever is selected") << "+A,5ms,-A" << 1 << "delete" << "" << -1;
        QTest::newRow("three rows, nothing selected") << "+A,5ms,-A" << -1 << "delete" << "" << -1;
        QTest::newRow("longer list, nothing selected") << "+A,5ms,-A,6ms,+B" << -1 << "delete"
                                                         << "+A,5ms,-A,6ms,+B" << -1;
        QTest::newRow("first key and its pause after") << "+A,5ms,-A,6ms,+B" << 0 << "delete" << "-A,6ms,+B" << -2;
        QTest::newRow("last key and the pause before") << "+A,5ms,-A,6ms,+B" << 4 << "delete" << "+A,5ms,-A" << -2;
        QTest::newRow("a pause and its key before") << "+A,5ms,-A,6ms,+B" << 3 << "delete" << "+A,5ms,+B" << -2;
    }

    void edit()
    {
        QFETCH(QString, before);
        QFETCH(int, row);
        QFETCH(QString, action);
        QFETCH(QString, after);
        QFETCH(int, rowAfter);
        QListWidget list;
        fill(&list, before);
        list.setCurrentRow(row);
        if (action == "key") {
            MacroEventList::insertKey(&list, MacroEventList::keyItem("K", MacroRow::key("0x0E", 1, false), {}), {});
        } else if (action == "click") {
            MacroEventList::insertClick(&list, MacroEventList::keyItem("L", MacroRow::key("0x01", 4, false), {}),
                                        MacroEventList::keyItem("L", MacroRow::key("0x01", 4, true), {}), {});
        } else if (action == "pause") {
            QCOMPARE(MacroEventList::insertDelay(&list, 77, {}), before != after);
        } else {
            const MacroEventList::Removed removed = MacroEventList::removeCurrent(&list);
            QCOMPARE(removed == MacroEventList::Removed::Nothing, before == after);
        }
        QCOMPARE(shown(&list), after);
        if (rowAfter != -2)
            QCOMPARE(list.currentRow(), rowAfter);
    }

    void rowsKeepTheirCodes()
    {
        QListWidget list;
        list.addItem(MacroEventList::keyItem("Links", MacroRow::key("0x01", 4, false), {}));
        list.addItem(MacroEventList::delayItem(10, {}));
        list.addItem(MacroEventList::keyItem("Links", MacroRow::key("0x01", 4, true), {}));
        list.item(0)->setText("Left");  // the language changed
        const QVector<MacroRow> rows = MacroEventList::rows(&list);
        QCOMPARE(rows, (QVector<MacroRow>{MacroRow::key("0x01", 4, false), MacroRow::delay(10),
                                          MacroRow::key("0x01", 4, true)}));
        QCOMPARE(MacroEventList::keyEvents(&list), 2);
    }
};

QTEST_MAIN(TestMacroEventList)
#include "tst_macroeventlist.moc"
