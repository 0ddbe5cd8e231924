#include "TestHome.h"

#include "core/AppPaths.h"
#include "ui/macro/MacroExchangeFile.h"
#include "ui/macro/MacroFile.h"

#include <QBuffer>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QTest>

Q_DECLARE_METATYPE(MacroExchangeFile::Status)
Q_DECLARE_METATYPE(MacroExchangeFile::Item)
Q_DECLARE_METATYPE(QVector<MacroExchangeFile::Item>)

namespace {

using Item = MacroExchangeFile::Item;
using Status = MacroExchangeFile::Status;

// A few key names, as the page's key table gives them.
bool lookup(const QString& name, MacroRow* row)
{
    static const QHash<QString, QPair<QString, int>> keys = {
        {"A", {"0x04", 1}}, {"LShift", {"0x02", 0}}, {"", {"0x00", 1}}, {"Left", {"0x01", 4}}, {"Tab", {"0x2B", 1}}};
    const auto it = keys.constFind(name);
    if (it == keys.constEnd())
        return false;
    *row = MacroRow::key(it->first, it->second, false);
    return true;
}

Item key(const QString& name, bool release)
{
    Item item{name, {}};
    lookup(name, &item.row);
    item.row.release = release;
    return item;
}

Item pause(quint32 ms)
{
    return Item{MacroFile::delayText(ms), MacroRow::delay(ms)};
}

QString pictures()
{
    return AppPaths::appSubdir(QStringLiteral("Picture/Macro")) + QLatin1Char('/');
}

// Writes an exchange file field by field, so single fields can be broken.
struct Builder
{
    QByteArray data;
    QBuffer buffer{&data};
    QDataStream out;

    Builder()
    {
        buffer.open(QIODevice::WriteOnly);
        out.setDevice(&buffer);
        out.setVersion(QDataStream::Qt_5_6);
    }
    Builder& field(const QByteArray& text, int size)
    {
        QByteArray f = text.left(size);
        f.append(QByteArray(size - f.size(), '\0'));
        out.writeBytes(f.constData(), uint(f.size()));
        return *this;
    }
    Builder& header(const QByteArray& name = "m", const QByteArray& repeat = "1", const QByteArray& magic = "Vemlo")
    {
        return field(magic, 12).field(name, 48).field(repeat, 12);
    }
    Builder& count(qint32 n)
    {
        out << n;
        return *this;
    }
    Builder& keyItem(const QString& text, const char* flag, const QIcon& icon = QIcon())
    {
        out << text << icon;
        out.writeBytes(flag, 2);
        return *this;
    }
    Builder& pauseItem(const QString& text)
    {
        out << text << QIcon();
        return *this;
    }
    Builder& raw(const QByteArray& bytes)
    {
        out.writeRawData(bytes.constData(), bytes.size());
        return *this;
    }
};

} // namespace

// The macro exchange file: what an export writes reads back as the same
// macro, and every damaged, hostile or oversized file is refused whole and fast.
class TestMacroExchangeFile : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
        QVERIFY(QFile::exists(pictures() + "MacroDown.png"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QVector<Item>>("items");

        QTest::newRow("no events") << "empty" << 1 << QVector<Item>{};
        QTest::newRow("A held") << "hold A" << 250
                                << QVector<Item>{key("A", false), pause(500), key("A", true)};
        QTest::newRow("shift, tab, mouse, empty key")
            << QString::fromUtf8("連招 xml") << 254
            << QVector<Item>{key("LShift", false), pause(10), key("Tab", false), pause(0), key("Tab", true),
                             pause(4294967295u), key("LShift", true), pause(10), key("Left", false), pause(10),
                             key("Left", true), pause(10), key("", false), pause(10), key("", true)};
        QVector<Item> full;
        for (int i = 0; i < MacroFile::kMaxKeyEvents; ++i)
            full << key("A", i % 2 == 1) << pause(quint32(i));
        QTest::newRow("70 events and 70 pauses") << "full" << 255 << full;
    }

    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(int, repeat);
        QFETCH(QVector<Item>, items);
        const QString path = m_home.path() + "/export.ini";
        QVERIFY(MacroExchangeFile::write(path, name, repeat, items, pictures()));

        MacroExchangeFile::Contents back;
        QCOMPARE(MacroExchangeFile::read(path, lookup, &back), Status::Ok);
        QCOMPARE(back.name, name);
        QCOMPARE(back.repeatCode, repeat);
        QCOMPARE(back.items.size(), items.size());
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(back.items.at(i).text, items.at(i).text);
            QVERIFY2(back.items.at(i).row == items.at(i).row, qPrintable(QString::number(i)));
        }
    }

    // The stored layout: what another installation reads.
    void layout()
    {
        const QByteArray data =
            MacroExchangeFile::serialize("m", 7, {key("A", true), pause(10)}, QStringLiteral("/nowhere/"));
        // Icons are Qt's own stream form of the row's picture.
        auto iconBytes = [](const QString& picture) {
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_5_6);
            out << QIcon(QStringLiteral("/nowhere/") + picture);
            return bytes;
        };
        QByteArray expected;
        expected += QByteArray::fromHex("0000000c") + QByteArray("Vemlo\0\0\0\0\0\0\0", 12);
        expected += QByteArray::fromHex("00000030") + QByteArray("m") + QByteArray(47, '\0');
        expected += QByteArray::fromHex("0000000c") + QByteArray("7") + QByteArray(11, '\0');
        expected += QByteArray::fromHex("00000002");
        expected += QByteArray::fromHex("000000020041");                 // "A"
        expected += iconBytes("MacroUp.png");
        expected += QByteArray::fromHex("00000002") + QByteArray("1\0", 2);
        expected += QByteArray::fromHex("000000080031003000" "6d0073");  // "10ms"
        expected += iconBytes("MacroTime.png");
        QCOMPARE(data.toHex(), expected.toHex());
    }

    // Files written field by field with Qt's own stream operators, icons included,
    // as other installations write them.
    void acceptsQtWrittenIcons()
    {
        const QIcon icon(pictures() + "MacroUp.png");
        QVERIFY(!icon.isNull());
        Builder b;
        b.header("icons", "253").count(3).keyItem("A", "0", icon);
        b.out << QStringLiteral("10ms") << icon;
        b.keyItem("A", "1", icon);
        MacroExchangeFile::Contents back;
        QCOMPARE(MacroExchangeFile::parse(b.data, lookup, &back), Status::Ok);
        QCOMPARE(back.items.size(), 3);
        QCOMPARE(back.repeatCode, 253);
        QVERIFY(back.items.at(2).row.release);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<Status>("status");

        QTest::newRow("empty") << QByteArray() << Status::Truncated;
        QTest::newRow("wrong magic") << Builder().header("m", "1", "Vemlx").count(0).data << Status::WrongMagic;
        QTest::newRow("magic with tail") << Builder().header("m", "1", "Vemlo!").count(0).data << Status::WrongMagic;
        {
            Builder b;
            b.field("Vemlo", 11).field("m", 48).field("1", 12).count(0);
            QTest::newRow("magic field of 11 bytes") << b.data << Status::BadLength;
        }
        {
            Builder b;
            b.field("Vemlo", 12).field("m", 47).field("1", 12).count(0);
            QTest::newRow("name field of 47 bytes") << b.data << Status::BadLength;
        }
        {
            Builder b;
            b.field("Vemlo", 12).raw(QByteArray::fromHex("7fffffff")).raw("m");
            QTest::newRow("name length past the data") << b.data << Status::BadLength;
        }
        QTest::newRow("name up to Macro.ini") << Builder().header("../../Macro").count(0).data << Status::BadName;
        QTest::newRow("name with slash") << Builder().header("a/b").count(0).data << Status::BadName;
        QTest::newRow("name with backslash") << Builder().header("a\\b").count(0).data << Status::BadName;
        QTest::newRow("name dot dot") << Builder().header("..").count(0).data << Status::BadName;
        QTest::newRow("empty name") << Builder().header("").count(0).data << Status::BadName;
        QTest::newRow("name with line feed") << Builder().header("a\nb").count(0).data << Status::BadName;
        QTest::newRow("name not UTF-8") << Builder().header("a\xff").count(0).data << Status::BadName;
        QTest::newRow("repeat 0") << Builder().header("m", "0").count(0).data << Status::BadRepeat;
        QTest::newRow("repeat 251") << Builder().header("m", "251").count(0).data << Status::BadRepeat;
        QTest::newRow("repeat 256") << Builder().header("m", "256").count(0).data << Status::BadRepeat;
        QTest::newRow("repeat text") << Builder().header("m", "x").count(0).data << Status::BadRepeat;
        QTest::newRow("repeat signed") << Builder().header("m", "+5").count(0).data << Status::BadRepeat;
        QTest::newRow("no count") << Builder().header().data << Status::Truncated;
        QTest::newRow("negative count") << Builder().header().count(-1).data << Status::BadLength;
        QTest::newRow("huge count") << Builder().header().count(0x7fffffff).data << Status::BadLength;
        QTest::newRow("141 items") << Builder().header().count(141).data << Status::BadLength;
        QTest::newRow("count past the data") << Builder().header().count(3).keyItem("A", "0").data
                                             << Status::Truncated;
        QTest::newRow("unknown key") << Builder().header().count(1).keyItem("Hyper", "0").data << Status::BadRow;
        QTest::newRow("flag 2") << Builder().header().count(1).keyItem("A", "2").data << Status::BadRow;
        {
            Builder b;
            b.header().count(1);
            b.out << QStringLiteral("A") << QIcon();
            b.out.writeBytes("1", 1);
            QTest::newRow("flag of one byte") << b.data << Status::BadLength;
        }
        QTest::newRow("pause not a number") << Builder().header().count(1).pauseItem("soon ms").data
                                            << Status::BadRow;
        QTest::newRow("pause past 32 bits") << Builder().header().count(1).pauseItem("4294967296ms").data
                                            << Status::BadRow;
        {
            Builder b;
            b.header().count(1).raw(QByteArray::fromHex("00100000"));
            QTest::newRow("text of 1 MiB") << b.data << Status::BadLength;
        }
        {
            Builder b;
            b.header().count(1).raw(QByteArray::fromHex("00000003") + "abc");
            QTest::newRow("text of odd length") << b.data << Status::BadLength;
        }
        {
            Builder b;
            b.header().count(1);
            b.out << QStringLiteral("A") << QStringLiteral("SomeOtherEngine");
            QTest::newRow("foreign icon engine") << b.data << Status::BadLength;
        }
        {
            Builder b;
            b.header().count(1);
            b.out << QStringLiteral("A") << QStringLiteral("QPixmapIconEngine") << qint32(100000);
            QTest::newRow("icon with 100000 pictures") << b.data << Status::BadLength;
        }
        {
            Builder b;
            b.header().count(1);
            b.out << QStringLiteral("A") << QStringLiteral("QPixmapIconEngine") << qint32(1) << qint32(1);
            b.raw(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray::fromHex("ffffff00") + "IHDR");
            QTest::newRow("picture chunk of 4 GiB") << b.data << Status::BadLength;
        }
        {
            QByteArray big = Builder().header().count(0).data;
            big.append(QByteArray(MacroExchangeFile::kMaxFileBytes, '\0'));
            QTest::newRow("larger than 1 MiB") << big << Status::TooLarge;
        }
        {
            Builder b;
            b.header().count(MacroExchangeFile::kMaxItems);
            for (int i = 0; i < MacroExchangeFile::kMaxItems; ++i)
                b.keyItem("A", "0");
            QTest::newRow("140 key events") << b.data << Status::TooManyEvents;
        }
    }

    void refused()
    {
        QFETCH(QByteArray, data);
        QFETCH(Status, status);
        MacroExchangeFile::Contents contents;
        contents.name = QStringLiteral("untouched");
        QCOMPARE(MacroExchangeFile::parse(data, lookup, &contents), status);
        QCOMPARE(contents.name, QStringLiteral("untouched"));
        QVERIFY(contents.items.isEmpty());
    }

    // Every cut of a valid file is refused, none reads past its end, and
    // the whole walk stays quick.
    void everyTruncationRefused()
    {
        const QByteArray data = MacroExchangeFile::serialize(
            "cut", 3, {key("A", false), pause(10), key("LShift", true), pause(5), key("Left", false)}, pictures());
        MacroExchangeFile::Contents contents;
        QCOMPARE(MacroExchangeFile::parse(data, lookup, &contents), Status::Ok);
        for (int size = 0; size < data.size(); ++size) {
            const Status status = MacroExchangeFile::parse(data.left(size), lookup, &contents);
            QVERIFY2(status == Status::Truncated, qPrintable(QString("cut at %1").arg(size)));
        }
    }

    void longNamesAreCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("47 ASCII bytes") << QString(47, 'x') << QString(30, 'x');
        QTest::newRow("16 Chinese characters") << QString::fromUtf8("一二三四五六七八九十一二三四五六")
                                               << QString::fromUtf8("一二三四五六七八九十");
    }

    void longNamesAreCut()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QByteArray data = MacroExchangeFile::serialize(name, 1, {}, pictures());
        MacroExchangeFile::Contents back;
        QCOMPARE(MacroExchangeFile::parse(data, lookup, &back), Status::Ok);
        QCOMPARE(back.name, expected);
        // A 48-byte field full to its end leaves no NUL; the reader still stops at the field.
        QCOMPARE(MacroExchangeFile::parse(Builder().header(QByteArray(48, 'y')).count(0).data, lookup, &back),
                 Status::Ok);
        QCOMPARE(back.name, QString(30, 'y'));
    }
};

QTEST_MAIN(TestMacroExchangeFile)
#include "tst_macroexchangefile.moc"
