#include "app/LanguageTables.h"
#include "core/AppPaths.h"

#include <QFile>
#include <QSet>
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

private:
    // Index of the first language file that is not delivered; kLanguageCount when all are.
    int m_firstMissing = 0;
};

void tst_ShippedLanguages::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    m_firstMissing = kLanguageCount;
    for (int i = 0; i < kLanguageCount; ++i) {
        if (!QFile::exists(LanguageTables::filePath(i))) {
            m_firstMissing = i;
            break;
        }
    }
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
    if (!QFile::exists(LanguageTables::filePath(language)))
        QSKIP("language file not delivered yet");
    if (language > m_firstMissing)
        QSKIP("an earlier language file is missing, so this one is not loaded");

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
    if (m_firstMissing < kLanguageCount)
        QSKIP("not every language file is delivered yet");
    for (int s = 0; s < kLanguageSectionCount; ++s) {
        const auto section = LanguageSection(s);
        const int expected = section == LanguageSection::English ? 1 : kLanguageCount;
        QVERIFY2(LanguageTables::table(section).size() == expected,
                 qPrintable(LanguageTables::sectionName(section)));
    }
}

void tst_ShippedLanguages::companyData()
{
    if (m_firstMissing < kLanguageCount)
        QSKIP("Net.xml is read only after all ten language files");
    QCOMPARE(g_NetTexts.size(), 1);
    const QVector<QString>& row = g_NetTexts.at(0);
    QCOMPARE(row.size(), LanguageTables::textCount(LanguageSection::English));
    for (int p = 0; p < row.size(); ++p)
        QVERIFY(!row.at(p).trimmed().isEmpty());
    // The settings page opens the two web addresses in the browser.
    for (int p : {2, 3}) {
        const QUrl url = QUrl::fromUserInput(row.at(p));
        QVERIFY2(url.isValid() && url.scheme().startsWith("http"), qPrintable(row.at(p)));
    }
}

QTEST_GUILESS_MAIN(tst_ShippedLanguages)
#include "tst_shippedlanguages.moc"
