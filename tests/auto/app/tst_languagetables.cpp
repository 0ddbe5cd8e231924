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

    void missingFileStopsLoading_data();
    void missingFileStopsLoading();
    void wrongRootAddsNothing_data();
    void wrongRootAddsNothing();
    void sectionReadingRules_data();
    void sectionReadingRules();
    void errorKeepsCompletedRows_data();
    void errorKeepsCompletedRows();
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

void tst_LanguageTables::missingFileStopsLoading_data()
{
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("languageRows");
    QTest::addColumn<int>("netRows");
    // Index 8 has the non-ASCII file name: with it present all ten rows load.
    QTest::newRow("all present") << -1 << 10 << 1;
    QTest::newRow("English missing") << 0 << 0 << 0;
    QTest::newRow("Spanish missing") << 3 << 3 << 0;
    QTest::newRow("Chinese missing") << 8 << 8 << 0;
    QTest::newRow("Net.xml missing") << int(kNetFileIndex) << 10 << 0;
}

void tst_LanguageTables::missingFileStopsLoading()
{
    QFETCH(int, missing);
    QFETCH(int, languageRows);
    QFETCH(int, netRows);
    installAll(missing);
    LanguageTables::load();

    QCOMPARE(g_DialogMainTexts.size(), languageRows);
    QCOMPARE(g_MouseOffLineTexts.size(), languageRows);
    for (int k = 0; k < languageRows; ++k) {
        QCOMPARE(g_DialogMainTexts.at(k), Row({QString("Show %1").arg(k), QString("Exit %1").arg(k)}));
        QCOMPARE(g_MouseOffLineTexts.at(k), Row({QString("Offline %1").arg(k), QString("Timeout %1").arg(k)}));
    }
    QCOMPARE(g_NetTexts.size(), netRows);
    if (netRows) {
        QCOMPARE(g_NetTexts.at(0), Row({"Orvex Test Ltd.", QString::fromUtf8("奥维克斯测试"),
                                        "https://cn.example.com/", "https://www.example.com/"}));
    }
}

void tst_LanguageTables::wrongRootAddsNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("mainForms");
    QTest::addColumn<int>("netRows");

    QStringList withoutOne;
    for (int k = 0; k < kLanguageCount; ++k) {
        if (k != 1)
            withoutOne << QString("Show %1").arg(k);
    }
    QStringList all;
    for (int k = 0; k < kLanguageCount; ++k)
        all << QString("Show %1").arg(k);
    QTest::newRow("language file rooted as Net.xml") << 1 << "wrong-root.xml" << withoutOne << 1;
    QTest::newRow("Net.xml rooted as a language file") << int(kNetFileIndex) << "wrong-root-net.xml" << all << 0;
}

void tst_LanguageTables::wrongRootAddsNothing()
{
    QFETCH(int, index);
    QFETCH(QString, fixture);
    QFETCH(QStringList, mainForms);
    QFETCH(int, netRows);
    installAll();
    install(index, fixture);
    LanguageTables::load();

    QStringList read;
    for (const Row& row : g_DialogMainTexts)
        read << row.value(0);
    QCOMPARE(read, mainForms);
    QCOMPARE(g_NetTexts.size(), netRows);
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
    QTest::newRow("section twice adds two rows")
        << LanguageSection::FireKey << LanguageTable{{"a", "b", "c"}, {"d", "e", "f"}};
    QTest::newRow("closing element twice adds a longer row; unknown sections skipped")
        << LanguageSection::DialogMain
        << LanguageTable{{"one", "two"}, {"one", "two", "three", "four"}};
    QTest::newRow("company section in a language file")
        << LanguageSection::English << LanguageTable{{"n", "c", "w1", "w2"}};
}

void tst_LanguageTables::sectionReadingRules()
{
    QFETCH(LanguageSection, section);
    QFETCH(LanguageTable, expected);
    // Only file 0 exists, so loading stops after it.
    install(0, "sections.xml");
    LanguageTables::load();
    QCOMPARE(LanguageTables::table(section), expected);
}

void tst_LanguageTables::errorKeepsCompletedRows_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::newRow("mismatched end tag") << "broken-tag.xml";
    QTest::newRow("element inside a text") << "element-in-text.xml";
}

void tst_LanguageTables::errorKeepsCompletedRows()
{
    QFETCH(QString, fixture);
    installAll();
    install(0, fixture);
    LanguageTables::load();

    // File 0 keeps the section completed before the error; the one in progress
    // and everything after it add nothing; the later files load as usual.
    QCOMPARE(g_DialogMainTexts.size(), 10);
    QCOMPARE(g_DialogMainTexts.at(0), Row({"kept", "kept"}));
    QCOMPARE(g_DialogMainTexts.at(1).value(0), QString("Show 1"));
    QCOMPARE(g_MouseOffLineTexts.size(), 9);
    QCOMPARE(g_MouseOffLineTexts.at(0).value(0), QString("Offline 1"));
    QVERIFY(g_AddKeyTexts.isEmpty());
    QCOMPARE(g_NetTexts.size(), 1);
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
    QCOMPARE(g_DialogMainTexts, LanguageTable({{"m", "e"}}));
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
