#include "TestHome.h"

#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(MacroRow)
Q_DECLARE_METATYPE(QVector<MacroRow>)

namespace {

MacroRow press(const char* code, int kind = 1) { return MacroRow::key(code, kind, false); }
MacroRow release(const char* code, int kind = 1) { return MacroRow::key(code, kind, true); }
MacroRow pause(quint32 ms) { return MacroRow::delay(ms); }

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// The macro text files: exact bytes written, what the reader takes and drops,
// one atomic replacement per write, and names that must never become paths.
class TestMacroFile : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;
    QString m_folder;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_folder = MacroFolder::defaultPath();
        QVERIFY(QDir().mkpath(m_folder));
    }

    void writtenBytes_data()
    {
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QVector<MacroRow>>("rows");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("A held 10 ms, once")
            << 1 << QVector<MacroRow>{press("0x04"), pause(10), release("0x04")}
            << QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n");
        QTest::newRow("shifted key, repeat 250")
            << 250
            << QVector<MacroRow>{press("0x02", 0), pause(5), press("0x1E"), pause(65535), release("0x1E"), pause(0),
                                 release("0x02", 0)}
            << QByteArray("250\n0x02 0 0\n5ms\n0x1E 1 0\n65535ms\n0x1E 1 1\n0ms\n0x02 0 1\n");
        QTest::newRow("mouse click, until released")
            << 253 << QVector<MacroRow>{press("0x10", 4), pause(10), release("0x10", 4)}
            << QByteArray("253\n0x10 4 0\n10ms\n0x10 4 1\n");
        QTest::newRow("empty key and long pause, while held")
            << 254 << QVector<MacroRow>{press("0x00"), pause(4294967295u), release("0x00")}
            << QByteArray("254\n0x00 1 0\n4294967295ms\n0x00 1 1\n");
        QTest::newRow("no events, until clicked") << 255 << QVector<MacroRow>{} << QByteArray("255\n");
        QTest::newRow("a key row without a code is left out")
            << 2 << QVector<MacroRow>{press("0x04"), pause(10), MacroRow::key(QString(), 1, true)}
            << QByteArray("2\n0x04 1 0\n10ms\n");
    }

    void writtenBytes()
    {
        QFETCH(int, repeat);
        QFETCH(QVector<MacroRow>, rows);
        QFETCH(QByteArray, expected);
        const QString path = MacroFolder::filePath(m_folder, QStringLiteral("bytes"));
        QVERIFY(MacroFile::createEmpty(path));
        QCOMPARE(fileBytes(path), QByteArray());
        QVERIFY(MacroFile::write(path, repeat, rows));
        QCOMPARE(fileBytes(path), expected);

        MacroFile::Contents back;
        QVERIFY(MacroFile::read(path, &back));
        QCOMPARE(back.repeatCode, repeat);
        QVector<MacroRow> kept;
        for (const MacroRow& row : rows) {
            if (row.isDelay() || MacroFile::isCodeText(row.code))
                kept << row;
        }
        QCOMPARE(back.rows, kept);
    }

    void refusedWrites()
    {
        const QString path = MacroFolder::filePath(m_folder, QStringLiteral("refused"));
        QFile::remove(path);
        // A macro deleted meanwhile is not brought back by a late save.
        QVERIFY(!MacroFile::write(path, 1, {press("0x04")}));
        QVERIFY(!QFile::exists(path));
        QVERIFY(MacroFile::write(path, 1, {press("0x04")}, MacroFile::WriteMode::CreateOrReplace));
        for (int bad : {0, 251, 252, 256, -1}) {
            QVERIFY(!MacroFile::write(path, bad, {}));
            QCOMPARE(fileBytes(path), QByteArray("1\n0x04 1 0\n"));
        }
        QVERIFY(!MacroFile::write(QString(), 1, {}));
        QVERIFY(!MacroFile::write(m_folder, 1, {}, MacroFile::WriteMode::CreateOrReplace));
    }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QVector<MacroRow>>("rows");

        QTest::newRow("empty file keeps the repeat controls") << QByteArray() << -1 << QVector<MacroRow>{};
        QTest::newRow("CR LF line ends")
            << QByteArray("3\r\n0x04 1 0\r\n10ms\r\n0x04 1 1\r\n") << 3
            << QVector<MacroRow>{press("0x04"), pause(10), release("0x04")};
        QTest::newRow("last line without line end is kept")
            << QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1") << 1
            << QVector<MacroRow>{press("0x04"), pause(10), release("0x04")};
        QTest::newRow("repeat 251 and 0 read as 1") << QByteArray("251\n") << 1 << QVector<MacroRow>{};
        QTest::newRow("repeat 0") << QByteArray("0\n") << 1 << QVector<MacroRow>{};
        QTest::newRow("repeat 253 with spaces") << QByteArray("  253 \n") << 253 << QVector<MacroRow>{};
        QTest::newRow("repeat garbage") << QByteArray("x7\n") << 1 << QVector<MacroRow>{};
        QTest::newRow("lower-case code reads as the empty key")
            << QByteArray("1\n0x2b 1 0\n") << 1 << QVector<MacroRow>{press("0x00")};
        QTest::newRow("unknown kind reads as the empty key")
            << QByteArray("1\n0x04 2 1\n0x04 x 0\n") << 1 << QVector<MacroRow>{release("0x00"), press("0x00")};
        QTest::newRow("bad flag, two and four parts dropped")
            << QByteArray("1\n0x04 1 2\n0x04 1\n0x04 1 0 0\n0x05 1 1\n") << 1 << QVector<MacroRow>{release("0x05")};
        QTest::newRow("single parts other than pauses dropped")
            << QByteArray("1\nabc\n0\n-5ms\n12ms\n4294967296ms\n1e3ms\n") << 1 << QVector<MacroRow>{pause(12)};
        QTest::newRow("text after a NUL ignored")
            << QByteArray("1\n0x04 1 0\0garbage\n", 20) << 1 << QVector<MacroRow>{press("0x04")};
        QTest::newRow("extra spaces between parts")
            << QByteArray("1\n 0x04   4  1 \n") << 1 << QVector<MacroRow>{release("0x04", 4)};
    }

    void reader()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, repeat);
        QFETCH(QVector<MacroRow>, rows);
        const MacroFile::Contents contents = MacroFile::parse(text);
        QCOMPARE(contents.repeatCode, repeat);
        QCOMPARE(contents.rows, rows);
    }

    void readerStopsAtTheEventLimit()
    {
        QByteArray text("1\n");
        for (int i = 0; i < 100; ++i)
            text += "0x04 1 0\n10ms\n";
        const MacroFile::Contents contents = MacroFile::parse(text);
        int keys = 0;
        for (const MacroRow& row : contents.rows)
            keys += row.isDelay() ? 0 : 1;
        QCOMPARE(keys, MacroFile::kMaxKeyEvents);
        QVERIFY(!contents.rows.last().isDelay());
        QVERIFY(contents.tooManyKeyEvents);
        // Exactly the limit is a whole macro.
        QByteArray full("1\n");
        for (int i = 0; i < MacroFile::kMaxKeyEvents; ++i)
            full += "0x04 1 0\n10ms\n";
        QVERIFY(!MacroFile::parse(full).tooManyKeyEvents);
        QCOMPARE(MacroFile::parse(full).rows.size(), 2 * MacroFile::kMaxKeyEvents);

        // Larger than any macro: not read at all.
        const QString path = MacroFolder::filePath(m_folder, QStringLiteral("huge"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(MacroFile::kMaxFileBytes + 1, '\n'));
        file.close();
        MacroFile::Contents untouched;
        QVERIFY(!MacroFile::read(path, &untouched));
        QVERIFY(!MacroFile::read(m_folder + QStringLiteral("/absent.ini"), &untouched));
    }

    void hostileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("dot") << QStringLiteral(".");
        QTest::newRow("dot dot") << QStringLiteral("..");
        QTest::newRow("leading dot") << QStringLiteral(".hidden");
        QTest::newRow("up to Macro.ini") << QStringLiteral("../../Macro");
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("absolute") << QStringLiteral("/tmp/x");
        QTest::newRow("backslash") << QStringLiteral("..\\..\\Macro");
        QTest::newRow("line feed") << QStringLiteral("a\nb");
        QTest::newRow("tab") << QStringLiteral("a\tb");
        QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("DEL") << QStringLiteral("a\x7f");
        QTest::newRow("C1 control") << QString::fromUtf16(u"a\u0085");
    }

    void hostileNames()
    {
        QFETCH(QString, name);
        const QString macroIni = m_home.path() + "/AppData/Local/Orvex DeskLink/Macro.ini";
        QFile ini(macroIni);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        const QByteArray iniBytes("[Language]\nLanguage=3\n");
        ini.write(iniBytes);
        ini.close();
        const QStringList before = QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        QVERIFY(!MacroFolder::isSafeName(name));
        const QString path = MacroFolder::filePath(m_folder, name);
        QVERIFY(path.isEmpty());
        QVERIFY(!MacroFile::write(path, 1, {press("0x04")}, MacroFile::WriteMode::CreateOrReplace));
        QVERIFY(!MacroFile::createEmpty(path));

        QCOMPARE(fileBytes(macroIni), iniBytes);
        QCOMPARE(QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }

    void safeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Combo 1");
        QTest::newRow("contains xml") << QStringLiteral("xml helper");
        QTest::newRow("dots inside") << QStringLiteral("a..b.c");
        QTest::newRow("Chinese") << QString::fromUtf8("連招");
    }

    void safeNames()
    {
        QFETCH(QString, name);
        const QString path = MacroFolder::filePath(m_folder, name);
        QCOMPARE(path, m_folder + "/" + name + ".ini");
        QVERIFY(MacroFile::createEmpty(path));
        QVERIFY(MacroFolder::list(m_folder).contains(name));
        QVERIFY(QFile::remove(path));
    }

    void listing()
    {
        const QString folder = m_home.path() + "/listing";
        QVERIFY(QDir().mkpath(folder + "/sub.ini"));
        for (const char* file : {"b.ini", "A.ini", "c.INI", "Macro.xml", "xml.ini", "notes.txt", ".hidden.ini",
                                 "a.ini.ini", "b.ini.tmp1234"}) {
            QFile f(folder + "/" + file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(folder + "/b.ini", folder + "/link.ini"));
        QCOMPARE(MacroFolder::list(folder), (QStringList{"A", "a.ini", "b", "xml"}));
    }
};

QTEST_GUILESS_MAIN(TestMacroFile)
#include "tst_macrofile.moc"
