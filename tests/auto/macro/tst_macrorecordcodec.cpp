// The macro's rows and the device's 592-byte macro record: the bytes built
// from a file's rows, the bounds of name and events, and what a record read
// from a mouse, a cache or an imported file becomes in the editor.

#include "ImageBytes.h"

#include "device/MacroRecord.h"
#include "ui/macro/MacroRecordCodec.h"

#include <QTest>

#include <cstring>

Q_DECLARE_METATYPE(MacroRow)
Q_DECLARE_METATYPE(QVector<MacroRow>)

namespace {

MacroRow press(const char* code, int kind = 1) { return MacroRow::key(code, kind, false); }
MacroRow release(const char* code, int kind = 1) { return MacroRow::key(code, kind, true); }
MacroRow pause(quint32 ms) { return MacroRow::delay(ms); }

QByteArray recordBytes(const MacroRecord& r)
{
    return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}

QByteArray ev(int up, int kind, int code, quint32 delay) { return macroEventBytes(up, kind, code, delay); }
QByteArray record(const QByteArray& name, int count, const QByteArray& events)
{
    return macroRecordBytes(name, count, events);
}

QVector<MacroRow> presses(int n)
{
    QVector<MacroRow> rows;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            rows << pause(5);
        rows << press("0x04");
    }
    return rows;
}

} // namespace

class TestMacroRecordCodec : public QObject
{
    Q_OBJECT

private slots:
    void build_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVector<MacroRow>>("rows");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("empty macro: name, no events") << "empty" << QVector<MacroRow>{}
                                                      << record("empty", 0, {});
        QTest::newRow("one key: count 1, delay 0")
            << "a" << QVector<MacroRow>{press("0x04")} << record("a", 1, ev(0, 1, 0x04, 0));
        QTest::newRow("key, 25 ms, key")
            << "kdk" << QVector<MacroRow>{press("0x04"), pause(25), release("0x04")}
            << record("kdk", 2, ev(0, 1, 0x04, 25) + ev(1, 1, 0x04, 0));
        QTest::newRow("mouse button and modifier, a long delay")
            << "mb" << QVector<MacroRow>{press("0x02", 0), pause(70000), press("0x10", 4), pause(10),
                                         release("0x10", 4), pause(0), release("0x02", 0)}
            << record("mb", 4, ev(0, 0, 0x02, 70000) + ev(0, 4, 0x10, 10) + ev(1, 4, 0x10, 0)
                                   + ev(1, 0, 0x02, 0));
        QTest::newRow("a trailing pause is the last event's, no extra event")
            << "t" << QVector<MacroRow>{press("0x04"), pause(7)} << record("t", 1, ev(0, 1, 0x04, 7));
        QTest::newRow("pauses in a row add up; one before any key belongs to none")
            << "p" << QVector<MacroRow>{pause(3), press("0x05"), pause(4294967295u), pause(9), press("0x06")}
            << record("p", 2, ev(0, 1, 0x05, 4294967295u) + ev(0, 1, 0x06, 0));
        QTest::newRow("two keys without a pause are two events")
            << "kk" << QVector<MacroRow>{press("0x04"), press("0x05")}
            << record("kk", 2, ev(0, 1, 0x04, 0) + ev(0, 1, 0x05, 0));
        QTest::newRow("a key the device has no kind for is the empty key")
            << "u" << QVector<MacroRow>{press("0x04", 2), release("zz")}
            << record("u", 2, ev(0, 1, 0, 0) + ev(1, 1, 0, 0));
        const QByteArray thirty("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
        QTest::newRow("30-byte name fills the field") << QString::fromLatin1(thirty) << QVector<MacroRow>{}
                                                     << record(thirty, 0, {});
        QTest::newRow("40-byte name is cut to 30 bytes")
            << QString::fromLatin1(thirty + "456789ABCD") << QVector<MacroRow>{} << record(thirty, 0, {});
        // Twelve 3-byte characters: ten fit, the eleventh would split.
        const QString cjk = QString::fromUtf8("宏宏宏宏宏宏宏宏宏宏宏宏");
        QTest::newRow("cut at a character boundary") << cjk << QVector<MacroRow>{}
                                                    << record(cjk.left(10).toUtf8(), 0, {});
        QTest::newRow("NUL characters are no name bytes")
            << QString::fromLatin1("ab\0c", 4) << QVector<MacroRow>{} << record("abc", 0, {});
        QByteArray seventy;
        for (int i = 0; i < 70; ++i)
            seventy += ev(0, 1, 0x04, i < 69 ? 5 : 0);
        QTest::newRow("70 events fill the record") << "full" << presses(70) << record("full", 70, seventy);
    }

    void build()
    {
        QFETCH(QString, name);
        QFETCH(QVector<MacroRow>, rows);
        QFETCH(QByteArray, expected);
        MacroRecord r;
        std::memset(&r, 0xAA, sizeof r);
        QCOMPARE(MacroRecordCodec::build(name, rows, &r), MacroRecordCodec::Result::Ok);
        QCOMPARE(recordBytes(r).toHex(' '), expected.toHex(' '));
    }

    void seventyOneEventsAreRefused()
    {
        MacroRecord r;
        std::memset(&r, 0xAA, sizeof r);
        const QByteArray before = recordBytes(r);
        QCOMPARE(MacroRecordCodec::build("many", presses(71), &r), MacroRecordCodec::Result::TooManyEvents);
        QCOMPARE(recordBytes(r), before);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVector<MacroRow>>("rows");

        QTest::newRow("key, delay, key: the last delay is not shown")
            << record("kdk", 2, ev(0, 1, 0x04, 25) + ev(1, 1, 0x04, 99)) << "kdk"
            << QVector<MacroRow>{press("0x04"), pause(25), release("0x04")};
        QTest::newRow("mouse, modifiers, keypad Enter, F7")
            << record("m", 5, ev(0, 4, 0x08, 1) + ev(0, 0, 0x40, 2) + ev(0, 1, 0x58, 3)
                                  + ev(0, 1, 0x40, 4) + ev(1, 2, 0x02, 5))
            << "m"
            << QVector<MacroRow>{press("0x08", 4), pause(1), press("0x40", 0), pause(2), press("0x28"), pause(3),
                                 press("0x40"), pause(4), release("0x02", 0)};
        QTest::newRow("codes without a key are the empty key")
            << record("x", 3, ev(0, 4, 0x03, 0) + ev(0, 1, 0x1FF, 0) + ev(2, 9, 0x7E, 0)) << "x"
            << QVector<MacroRow>{press("0x00"), pause(0), press("0x00"), pause(0), release("0x00")};
        QTest::newRow("count 0: a macro without events") << record("none", 0, ev(0, 1, 4, 0)) << "none"
                                                         << QVector<MacroRow>{};
        QByteArray all;
        for (int i = 0; i < 70; ++i)
            all += ev(0, 1, 0x04, 1);
        QVector<MacroRow> seventy;
        for (int i = 0; i < 70; ++i)
            seventy << press("0x04") << pause(1);
        seventy.removeLast();
        QTest::newRow("count 255 reads the 70 events the record has")
            << record("big", 255, all) << "big" << seventy;
        QTest::newRow("the name ends at its first zero byte; the length byte is not trusted")
            << [] {
                   QByteArray b = record("hello", 1, ev(0, 1, 0x04, 0));
                   b.replace(1, 9, QByteArray("hello\0xyz", 9));
                   b[0] = char(200);
                   return b;
               }()
            << "hello" << QVector<MacroRow>{press("0x04")};
        QTest::newRow("a 30-byte name without a zero byte")
            << record("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 0, {}) << "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"
            << QVector<MacroRow>{};
    }

    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QVector<MacroRow>, rows);
        MacroRecord r;
        QCOMPARE(bytes.size(), int(sizeof r));
        std::memcpy(&r, bytes.constData(), sizeof r);
        QString readName;
        QVector<MacroRow> readRows;
        QVERIFY(MacroRecordCodec::read(r, &readName, &readRows));
        QCOMPARE(readName, name);
        QCOMPARE(readRows, rows);
    }

    void emptyNameIsNoMacro()
    {
        MacroRecord r;
        QByteArray b = record("", 2, ev(0, 1, 0x04, 5) + ev(1, 1, 0x04, 0));
        b[0] = char(5);  // a length byte without name bytes
        std::memcpy(&r, b.constData(), sizeof r);
        QString name = "kept";
        QVector<MacroRow> rows{press("0x05")};
        QVERIFY(!MacroRecordCodec::read(r, &name, &rows));
        QCOMPARE(name, QString("kept"));
        QCOMPARE(rows.size(), 1);
    }

    // What the editor saved comes back from the mouse as the same rows.
    void roundTrip()
    {
        const QVector<MacroRow> rows{press("0x02", 0), pause(12), press("0x04"), pause(30), release("0x04"),
                                     pause(8),         release("0x02", 0), pause(100), press("0x01", 4),
                                     pause(15),        release("0x01", 4)};
        MacroRecord r;
        QCOMPARE(MacroRecordCodec::build(QString::fromUtf8("Grüße"), rows, &r), MacroRecordCodec::Result::Ok);
        QString name;
        QVector<MacroRow> back;
        QVERIFY(MacroRecordCodec::read(r, &name, &back));
        QCOMPARE(name, QString::fromUtf8("Grüße"));
        QCOMPARE(back, rows);
    }
};

QTEST_APPLESS_MAIN(TestMacroRecordCodec)
#include "tst_macrorecordcodec.moc"
