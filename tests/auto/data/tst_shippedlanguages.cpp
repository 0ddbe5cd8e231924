#include "app/LanguageTables.h"
#include "core/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

// Checks the delivered language files and Net.xml as the program loads them.
class tst_ShippedLanguages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void languageIsComplete_data();
    void languageIsComplete();
    void everyTableHasOneRowPerLanguage();
    void companyData();
    void traditionalChineseIsWrittenInTraditionalCharacters();
    void textsStandInTheirPlaces_data();
    void textsStandInTheirPlaces();
};

void tst_ShippedLanguages::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    // A missing file would stop the loading there: every later language lost.
    for (int i = 0; i <= kNetFileIndex; ++i)
        QVERIFY2(QFile::exists(LanguageTables::filePath(i)), qPrintable(LanguageTables::filePath(i)));
    LanguageTables::clear();
    LanguageTables::load();
}

void tst_ShippedLanguages::cleanupTestCase()
{
    LanguageTables::clear();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_ShippedLanguages::languageIsComplete_data()
{
    QTest::addColumn<int>("language");
    const char* const names[kLanguageCount] = {"English", "German", "French", "Spanish", "Italian",
                                               "Dutch", "Polish", "Romanian", "Traditional Chinese",
                                               "Ukrainian"};
    for (int i = 0; i < kLanguageCount; ++i)
        QTest::newRow(names[i]) << i;
}

void tst_ShippedLanguages::languageIsComplete()
{
    QFETCH(int, language);
    for (int s = 0; s < kLanguageSectionCount; ++s) {
        const auto section = LanguageSection(s);
        if (section == LanguageSection::English)
            continue;
        const LanguageTable& table = LanguageTables::table(section);
        const QString name = LanguageTables::sectionName(section);
        QVERIFY2(table.size() > language, qPrintable(name + ": no row"));
        const QVector<QString>& row = table.at(language);
        QVERIFY2(row.size() == LanguageTables::textCount(section),
                 qPrintable(QString("%1: %2 texts instead of %3")
                                .arg(name).arg(row.size()).arg(LanguageTables::textCount(section))));
        for (int p = 0; p < row.size(); ++p)
            QVERIFY2(!row.at(p).trimmed().isEmpty(), qPrintable(QString("%1: text %2 is empty").arg(name).arg(p)));
    }

    // A button bound to a macro is found again by this prefix when the macro is deleted.
    QCOMPARE(g_ButtoninterfaceTexts.at(language).at(48), g_MacroTexts.at(language).at(19));

    // Mouse-button names share the macro event list with the fixed key names and
    // with delay rows, which are recognised by "ms".
    static const QStringList keyNames = [] {
        QStringList names = {"Enter", "Esc", "BackSpace", "Tab", "Space", "-", "=", "[", "]", "\\",
                             ";", "'", "`", ",", ".", "/", "CapsLock", "Screen", "Scroll", "Pause",
                             "Insert", "Home", "PgUp", "Del", "End", "PgDn", "NumLock", "Num/",
                             "Num*", "Num-", "Num+", "Num.", "APPs", "LCtrl", "LShift", "LAlt",
                             "LWin", "RCtrl", "RShift", "RAlt", "RWin", "Ctrl", "Shift", "Alt",
                             "Win", QString(QChar(0x2190)), QString(QChar(0x2191)),
                             QString(QChar(0x2192)), QString(QChar(0x2193))};
        for (char c = 'A'; c <= 'Z'; ++c)
            names << QString(QChar(c));
        for (int i = 0; i <= 9; ++i)
            names << QString::number(i) << QString("Num%1").arg(i);
        for (int i = 1; i <= 12; ++i)
            names << QString("F%1").arg(i);
        return names;
    }();
    QSet<QString> seen;
    for (int p = 4; p <= 8; ++p) {
        const QString name = g_ButtoninterfaceTexts.at(language).at(p);
        QVERIFY2(!keyNames.contains(name), qPrintable(name));
        QVERIFY2(!name.contains("ms"), qPrintable(name));
        QVERIFY2(!seen.contains(name), qPrintable(name));
        seen.insert(name);
    }
}

void tst_ShippedLanguages::everyTableHasOneRowPerLanguage()
{
    for (int s = 0; s < kLanguageSectionCount; ++s) {
        const auto section = LanguageSection(s);
        const int expected = section == LanguageSection::English ? 1 : kLanguageCount;
        QVERIFY2(LanguageTables::table(section).size() == expected,
                 qPrintable(LanguageTables::sectionName(section)));
    }
}

void tst_ShippedLanguages::companyData()
{
    QCOMPARE(g_NetTexts.size(), 1);
    const QVector<QString>& row = g_NetTexts.at(0);
    QCOMPARE(row.size(), LanguageTables::textCount(LanguageSection::English));
    for (int p = 0; p < row.size(); ++p)
        QVERIFY(!row.at(p).trimmed().isEmpty());
    // The settings page opens the two web addresses in the browser; they stay
    // under a domain reserved for examples, so they never lead to a stranger.
    for (int p : {2, 3}) {
        const QUrl url = QUrl::fromUserInput(row.at(p));
        QVERIFY2(url.isValid() && url.scheme().startsWith("http"), qPrintable(row.at(p)));
        const QString host = url.host();
        bool reserved = false;
        for (const char* domain : {"example.com", "example.org", "example.net"})
            reserved = reserved || host == QLatin1String(domain) || host.endsWith('.' + QLatin1String(domain));
        QVERIFY2(reserved, qPrintable(row.at(p)));
    }
}

// The Traditional Chinese interface shows its own texts and the company name in
// Chinese: none of them may carry a character of the simplified script. The
// set holds simplified forms whose traditional form differs, from the words a
// mouse tool and a company name use.
void tst_ShippedLanguages::traditionalChineseIsWrittenInTraditionalCharacters()
{
    const QString simplifiedOnly = QString::fromUtf8(
        "设维奥体们这个为时对开关动标键载导线连录择选认确删据网页语颜灯级电无长离从发应该当"
        "显号来将实现还进输转换闪响频报档储状态错误请样调节间问题务业数码击钮写读块缓驱戏"
        "图见类别组辑编传递压盘软绑锁车围");
    const int traditionalChinese = 8;
    QStringList shown;
    for (int s = 0; s < kLanguageSectionCount; ++s) {
        const LanguageTable& table = LanguageTables::table(LanguageSection(s));
        if (LanguageSection(s) != LanguageSection::English && table.size() > traditionalChinese)
            shown += table.at(traditionalChinese).toList();
    }
    QVERIFY(!shown.isEmpty());
    // The settings page takes the company name for this language from Net.xml's position 1.
    QVERIFY(!g_NetTexts.isEmpty() && g_NetTexts.at(0).size() > 1);
    shown += g_NetTexts.at(0).at(1);
    for (const QString& text : qAsConst(shown))
        for (const QChar c : text)
            QVERIFY2(!simplifiedOnly.contains(c), qPrintable(text));
}

void tst_ShippedLanguages::textsStandInTheirPlaces_data()
{
    QTest::addColumn<int>("file");
    for (int i = 0; i <= kNetFileIndex; ++i)
        QTest::newRow(qPrintable(QFileInfo(LanguageTables::filePath(i)).fileName())) << i;
}

// The loader places texts by their order, not their names: a translation with
// two texts swapped still loads rows of full length, but shows each text where
// the other belongs. Every section must list its texts under their own names,
// in the order the windows count them.
void tst_ShippedLanguages::textsStandInTheirPlaces()
{
    QFETCH(int, file);
    QFile in(LanguageTables::filePath(file));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QHash<QString, QStringList> expected;
    for (int s = 0; s < kLanguageSectionCount; ++s)
        expected.insert(LanguageTables::sectionName(LanguageSection(s)), LanguageTables::textNames(LanguageSection(s)));

    QXmlStreamReader reader(&in);
    QVERIFY(reader.readNextStartElement());
    QCOMPARE(reader.name().toString(), QString(file == kNetFileIndex ? "Profile" : "Total"));
    while (reader.readNextStartElement()) {
        const QString section = reader.name().toString();
        QVERIFY2(expected.contains(section), qPrintable("unknown section " + section));
        QStringList names;
        while (reader.readNextStartElement()) {
            names << reader.name().toString();
            reader.skipCurrentElement();
        }
        QCOMPARE(names, expected.value(section));
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
}

QTEST_GUILESS_MAIN(tst_ShippedLanguages)
#include "tst_shippedlanguages.moc"
