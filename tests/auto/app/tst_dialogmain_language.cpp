#include "app/DialogMain.h"
#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "ui/home/DialogChange.h"

#include <HidSimControl.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QtTest>

#include <memory>

// The language chosen at installation is taken over once; the stored language
// is what every window starts in.
class tst_DialogMainLanguage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startLanguage_data();
    void startLanguage();
    void handOverHappensOnce();

private:
    struct Start
    {
        QStringList broadcasts;
        QString trayRestoreText;
        QString listHint;
    };
    static Start startWindow();
    static void prepare(const QVariant& installed, const QString& stored);
    static QString storedLanguage()
    {
        return SettingsStore::instance()->value("Language", "Language");
    }
};

void tst_DialogMainLanguage::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    // The tray menu's texts are read below.
    DialogMain::setTrayAvailabilityForTests([] { return true; });
    ConfigSettings::resetForTests();
    QVERIFY(hidsim::HidSimControl::reset(R"({"vendorId": "3A7C", "mice": [], "receivers": []})"));
}

void tst_DialogMainLanguage::prepare(const QVariant& installed, const QString& stored)
{
    QFile::remove(AppPaths::macroIniPath());
    SettingsStore::resetForTests();
    if (!stored.isNull())
        SettingsStore::instance()->setValue("Language", "Language", stored);
    Registry::remove(Registry::languageKeyPath(), "LanguageIndex");
    if (installed.isValid())
        Registry::setValue(Registry::languageKeyPath(), "LanguageIndex", installed);
    LanguageTables::clear();
    g_LanguageIndex = -1;
}

tst_DialogMainLanguage::Start tst_DialogMainLanguage::startWindow()
{
    Start start;
    QObject scope;
    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, &PostMsg::SigLanguageSameA, &scope, [&](int l) { start.broadcasts << QString("A%1").arg(l); });
    connect(bus, &PostMsg::SigLanguageSameB, &scope, [&](int l) { start.broadcasts << QString("B%1").arg(l); });
    connect(bus, &PostMsg::SigAllLanguage, &scope, [&](int l) { start.broadcasts << QString("All%1").arg(l); });

    std::unique_ptr<DialogMain> window(new DialogMain());
    window->SlotChangeSize(2);
    start.trayRestoreText = window->trayMenu()->actions().first()->text();
    start.listHint = window->listPage()->findChild<QLabel*>("label_3")->text();
    window->slotActionMain();
    return start;
}

void tst_DialogMainLanguage::startLanguage_data()
{
    QTest::addColumn<QVariant>("installed");  // registry value; invalid: none
    QTest::addColumn<QString>("stored");      // Macro.ini before; null: none
    QTest::addColumn<QString>("storedAfter"); // empty: not written
    QTest::addColumn<int>("language");

    QTest::newRow("installed 3") << QVariant(3) << QString() << "3" << 3;
    QTest::newRow("installed 3 replaces a stored 5") << QVariant(3) << "5" << "3" << 3;
    QTest::newRow("installed 0 writes nothing") << QVariant(0) << QString() << "" << 0;
    QTest::newRow("nothing installed, stored 5") << QVariant() << "5" << "5" << 5;
    QTest::newRow("nothing at all") << QVariant() << QString() << "" << 0;
    QTest::newRow("stored text that is no number") << QVariant() << "abc" << "abc" << 0;
    QTest::newRow("stored index without a language") << QVariant() << "42" << "42" << 0;
}

void tst_DialogMainLanguage::startLanguage()
{
    QFETCH(QVariant, installed);
    QFETCH(QString, stored);
    QFETCH(QString, storedAfter);
    QFETCH(int, language);

    prepare(installed, stored);
    const Start start = startWindow();

    QCOMPARE(storedLanguage(), storedAfter);
    QVERIFY(!Registry::contains(Registry::languageKeyPath(), "LanguageIndex"));
    QCOMPARE(g_LanguageIndex, language);
    QCOMPARE(start.broadcasts, QStringList({QString("A%1").arg(language), QString("B%1").arg(language),
                                            QString("All%1").arg(language)}));
    QCOMPARE(start.trayRestoreText, LanguageTables::text(LanguageSection::DialogMain, language, 0));
    QCOMPARE(start.listHint, LanguageTables::text(LanguageSection::DialogChange, language, 1));
    QVERIFY(!start.trayRestoreText.isEmpty());
}

void tst_DialogMainLanguage::handOverHappensOnce()
{
    prepare(QVariant(3), QString());
    startWindow();
    QCOMPARE(storedLanguage(), QString("3"));

    // The user picks another language; the next start must keep it.
    SettingsStore::instance()->setValue("Language", "Language", "6");
    LanguageTables::clear();
    startWindow();
    QCOMPARE(storedLanguage(), QString("6"));
    QCOMPARE(g_LanguageIndex, 6);
}

QTEST_MAIN(tst_DialogMainLanguage)
#include "tst_dialogmain_language.moc"
