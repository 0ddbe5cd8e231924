#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(LanguageSection)

using Row = QVector<QString>;

class tst_LanguageTables : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void unreadableFileFallsBack_data();
    void unreadableFileFallsBack();
    void sectionReadingRules_data();
    void sectionReadingRules();
    void deepNestingIsSkipped();
    void accessorStaysInsideTables_data();
    void accessorStaysInsideTables();
    void accessorFollowsCurrentLanguage();

private:
    // Copies a fixture to the place of file `index`, with "@LANG@" replaced by `index`.
    void install(int index, const QString& fixture);
    void installAll(int missing = -1);

    QScopedPointer<QTemporaryDir> m_appDir;
};

void tst_LanguageTables::init()
{
    m_appDir.reset(new QTemporaryDir(QDir::homePath() + "/languageXXXXXX"));
    QVERIFY(m_appDir->isValid());
    QVERIFY(QDir(m_appDir->path()).mkdir("Language"));
    AppPaths::setApplicationDirOverride(m_appDir->path());
    LanguageTables::clear();
    g_LanguageIndex = 0;
}

void tst_LanguageTables::cleanup()
{
    LanguageTables::clear();
    AppPaths::setApplicationDirOverride(QString());
    m_appDir.reset();
    g_LanguageIndex = 0;
}

void tst_LanguageTables::install(int index, const QString& fixture)
{
    QFile in(QStringLiteral(DESKLINK_TEST_DATA_DIR "/language/") + fixture);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(in.fileName()));
    QByteArray content = in.readAll();
    content.replace("@LANG@", QByteArray::number(index));
    QFile out(LanguageTables::filePath(index));
    QVERIFY2(out.open(QIODevice::WriteOnly), qPrintable(out.fileName()));
    QCOMPARE(out.write(content), qint64(content.size()));
}

void tst_LanguageTables::installAll(int missing)
{
    for (int i = 0; i < kLanguageCount; ++i) {
        if (i != missing)
            install(i, "basic.xml");
    }
    if (missing != kNetFileIndex)
        install(kNetFileIndex, "net.xml");
}

void tst_LanguageTables::unreadableFileFallsBack_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("fixture");  // empty: the file is missing
    QTest::addColumn<int>("fallback");     // language whose rows stand in
    QTest::addColumn<int>("netRows");

    // Index 8 has the non-ASCII file name.
    QTest::newRow("all present") << -1 << "" << 0 << 1;
    QTest::newRow("English missing") << 0 << "" << 1 << 1;
    QTest::newRow("Spanish missing") << 3 << "" << 0 << 1;
    QTest::newRow("Chinese missing") << 8 << "" << 0 << 1;
    QTest::newRow("Net.xml missing") << int(kNetFileIndex) << "" << 0 << 0;
    QTest::newRow("German rooted as Net.xml") << 1 << "wrong-root.xml" << 0 << 1;
    QTest::newRow("Net.xml rooted as a language file") << int(kNetFileIndex) << "wrong-root-net.xml" << 0 << 0;
    QTest::newRow("German: mismatched end tag") << 1 << "broken-tag.xml" << 0 << 1;
    QTest::newRow("German: element inside a text") << 1 << "element-in-text.xml" << 0 << 1;
    QTest::newRow("English: mismatched end tag") << 0 << "broken-tag.xml" << 1 << 1;
}

// Every language keeps its own row in every table; what one file lacks is
// taken from English (or, without English, from the first language that has
// it), never from the next language.
void tst_LanguageTables::unreadableFileFallsBack()
{
    QFETCH(int, index);
    QFETCH(QString, fixture);
    QFETCH(int, fallback);
    QFETCH(int, netRows);
    installAll(fixture.isEmpty() ? index : -1);
    if (!fixture.isEmpty())
        install(index, fixture);
    LanguageTables::load();

    // The broken fixtures complete DialogMain before their error and never
    // complete MouseOffLine or AddKey.
    const bool broken = fixture.startsWith("broken") || fixture.startsWith("element");
    QCOMPARE(g_DialogMainTexts.size(), kLanguageCount);
    QCOMPARE(g_MouseOffLineTexts.size(), kLanguageCount);
    for (int k = 0; k < kLanguageCount; ++k) {
        const int from = k == index ? fallback : k;
        const Row ownMain = broken && k == index ? Row({"kept", "kept"})
                                                 : Row({QString("Show %1").arg(from), QString("Exit %1").arg(from)});
        QCOMPARE(g_DialogMainTexts.at(k), ownMain);
        QCOMPARE(g_MouseOffLineTexts.at(k),
                 Row({QString("Offline %1").arg(from), QString("Timeout %1").arg(from)}));
    }
    QVERIFY(g_AddKeyTexts.isEmpty());
    QCOMPARE(g_NetTexts.size(), netRows);
    if (netRows) {
        QCOMPARE(g_NetTexts.at(0), Row({"Orvex Test Ltd.", QString::fromUtf8("奥维克斯测试"),
                                        "https://cn.example.com/", "https://www.example.com/"}));
    }
}

void tst_LanguageTables::sectionReadingRules_data()
{
    QTest::addColumn<LanguageSection>("section");
    QTest::addColumn<LanguageTable>("expected");

    QTest::newRow("unknown and wrongly cased elements skipped with their contents")
        << LanguageSection::MouseOffLine << LanguageTable{{"first", "second"}};
    QTest::newRow("empty texts keep their places, references resolved, spaces kept")
        << LanguageSection::Match
        << LanguageTable{{"", "", "  spaced & A<\nline", "Pairing", "Failed", "Done"}};
    QTest::newRow("closing element first ends the row")
        << LanguageSection::InportFail << LanguageTable{{"late closing"}};
    QTest::newRow("section without its closing element adds no row")
        << LanguageSection::Question << LanguageTable{};
    QTest::newRow("section twice: the first one counts")
        << LanguageSection::FireKey << LanguageTable{{"a", "b", "c"}};
    QTest::newRow("closing element twice: the first row counts; unknown sections skipped")
        << LanguageSection::DialogMain << LanguageTable{{"one", "two"}};
    QTest::newRow("company section in a language file is not company data")
        << LanguageSection::English << LanguageTable{};
}

void tst_LanguageTables::sectionReadingRules()
{
    QFETCH(LanguageSection, section);
    QFETCH(LanguageTable, expected);
    // Only file 0 exists: every language shows its rows.
    install(0, "sections.xml");
    LanguageTables::load();
    LanguageTable all;
    for (int k = 0; !expected.isEmpty() && k < kLanguageCount; ++k)
        all += expected;
    QCOMPARE(LanguageTables::table(section), all);
}

void tst_LanguageTables::deepNestingIsSkipped()
{
    const int depth = 200000;
    QByteArray xml = "<Total><Unknown>";
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    xml += "</Unknown><DialogMain><MainForm>m</MainForm><Exit>e</Exit></DialogMain></Total>";
    QFile out(LanguageTables::filePath(0));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(xml);
    out.close();

    LanguageTables::load();
    QCOMPARE(g_DialogMainTexts.value(0), Row({"m", "e"}));
}

void tst_LanguageTables::accessorStaysInsideTables_data()
{
    QTest::addColumn<LanguageSection>("section");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected");

    QTest::newRow("own row") << LanguageSection::DialogMain << 1 << 1 << "exit 1";
    QTest::newRow("negative language") << LanguageSection::DialogMain << -1 << 0 << "show 0";
    QTest::newRow("language past nine") << LanguageSection::DialogMain << 10 << 0 << "show 0";
    QTest::newRow("language without a row") << LanguageSection::DialogMain << 5 << 1 << "exit 0";
    QTest::newRow("position past the row") << LanguageSection::DialogMain << 1 << 2 << "";
    QTest::newRow("short row") << LanguageSection::DialogMain << 2 << 1 << "";
    QTest::newRow("negative position") << LanguageSection::DialogMain << 0 << -1 << "";
    QTest::newRow("empty table") << LanguageSection::Sensor << 0 << 0 << "";
    QTest::newRow("company data ignores the language") << LanguageSection::English << 1 << 3 << "web";
    QTest::newRow("section outside the enum") << LanguageSection(99) << 0 << 0 << "";
}

void tst_LanguageTables::accessorStaysInsideTables()
{
    QFETCH(LanguageSection, section);
    QFETCH(int, language);
    QFETCH(int, position);
    QFETCH(QString, expected);
    g_DialogMainTexts = {{"show 0", "exit 0"}, {"show 1", "exit 1"}, {"show 2"}};
    g_NetTexts = {{"name", "name cn", "web cn", "web"}, {"second row"}};
    QCOMPARE(LanguageTables::text(section, language, position), expected);
}

void tst_LanguageTables::accessorFollowsCurrentLanguage()
{
    g_DialogMainTexts = {{"show 0", "exit 0"}, {"show 1", "exit 1"}};
    g_NetTexts = {{"name", "name cn", "web cn", "web"}};
    g_LanguageIndex = 1;
    QCOMPARE(LanguageTables::text(LanguageSection::DialogMain, 0), QString("show 1"));
    QCOMPARE(LanguageTables::netText(2), QString("web cn"));
    g_LanguageIndex = 7;
    QCOMPARE(LanguageTables::text(LanguageSection::DialogMain, 1), QString("exit 0"));
}

QTEST_GUILESS_MAIN(tst_LanguageTables)
#include "tst_languagetables.moc"
