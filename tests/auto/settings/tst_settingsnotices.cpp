#include "ModalDialogDriver.h"
#include "TestHome.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "ui/macro/ContainReset.h"
#include "ui/settings/LessThree.h"
#include "ui/settings/RePair.h"
#include "ui/settings/UpDateWarning.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>

// The small question and notice dialogs: their answers, keys and texts.
class tst_SettingsNotices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void questionAnswers_data();
    void questionAnswers();
    void noticesClose_data();
    void noticesClose();
    void textsFollowTheLanguage();
    void shortColourListLeavesTheLook();

private:
    void writeCatalogue(const QByteArray& option);

    TestHome m_home;
    QTemporaryDir m_app{m_home.path() + "/app-XXXXXX"};
};

void tst_SettingsNotices::writeCatalogue(const QByteArray& option)
{
    QDir().mkpath(m_app.path() + "/usersetting");
    QFile f(m_app.path() + "/usersetting/Config.ini");
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Option]\n" + option);
    f.close();
    ConfigSettings::resetForTests();
}

void tst_SettingsNotices::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_app.path());
    writeCatalogue("LabelColor=10,20,30\nButtonColor=40,50,60\n");
}

void tst_SettingsNotices::cleanupTestCase()
{
    AppPaths::setApplicationDirOverride(QString());
}

using Answer = std::function<void(QWidget*)>;
Q_DECLARE_METATYPE(Answer)

static Answer clickOn(const char* name)
{
    return [name](QWidget* d) { ModalDialogDriver::click(d, name); };
}

// A key; a button's shortcut clicks it a moment later, so wait for the dialog to go.
static Answer press(Qt::Key key)
{
    return [key](QWidget* d) {
        // Shortcuts only reach the active window, which the dialog becomes a moment after it shows.
        QVERIFY(QTest::qWaitForWindowActive(d));
        QTest::keyClick(d, key);
        QVERIFY(QTest::qWaitFor([d] { return !d->isVisible(); }, 5000));
    };
}

void tst_SettingsNotices::questionAnswers_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("accepted");

    for (const char* dialog : {"RePair", "ContainReset"}) {
        QTest::addRow("%s OK", dialog) << dialog << clickOn("OK") << true;
        QTest::addRow("%s Cancel", dialog) << dialog << clickOn("Cancel") << false;
        QTest::addRow("%s close cross", dialog) << dialog << clickOn("CloseButton") << false;
        QTest::addRow("%s Escape", dialog) << dialog << press(Qt::Key_Escape) << false;
    }
    QTest::newRow("ContainReset Return") << "ContainReset" << press(Qt::Key_Return) << true;
}

void tst_SettingsNotices::questionAnswers()
{
    QFETCH(QString, dialog);
    QFETCH(Answer, answer);
    QFETCH(bool, accepted);

    ModalDialogDriver driver;
    driver.expect(dialog, answer);
    bool result = !accepted;
    if (dialog == "RePair") {
        RePair question;
        QVERIFY(!question.accepted);
        question.exec();
        result = question.accepted;
    } else {
        ContainReset question;
        QVERIFY(!question.accepted);
        question.SetMessage("Update the receiver?");
        QCOMPARE(question.findChild<QLabel*>("label")->text(), QString("Update the receiver?"));
        question.exec();
        result = question.accepted;
    }
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(result, accepted);
}

void tst_SettingsNotices::noticesClose_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Answer>("answer");

    QTest::newRow("warning: confirm") << "UpDateWarning" << clickOn("NewHong");
    QTest::newRow("warning: Return") << "UpDateWarning" << press(Qt::Key_Return);
    QTest::newRow("warning: close cross") << "UpDateWarning" << clickOn("CloseButton");
    QTest::newRow("debounce: confirm") << "LessThree" << clickOn("NewHong");
    QTest::newRow("debounce: close cross") << "LessThree" << clickOn("CloseButton");
}

void tst_SettingsNotices::noticesClose()
{
    QFETCH(QString, dialog);
    QFETCH(Answer, answer);

    ModalDialogDriver driver;
    bool stillOpen = true;
    driver.expect(dialog, [&](QWidget* d) {
        answer(d);
        stillOpen = d->isVisible();
    });
    if (dialog == "UpDateWarning") {
        UpDateWarning notice;
        notice.SetMessage("Connect the mouse with its cable first.");
        notice.exec();
    } else {
        LessThree notice;
        notice.exec();
    }
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(!stillOpen);
}

void tst_SettingsNotices::textsFollowTheLanguage()
{
    g_LanguageIndex = 2;
    RePair rePair;
    ContainReset reset;
    UpDateWarning warning;
    warning.SetMessage("caller's text");
    LessThree lessThree;
    auto text = [](LanguageSection s, int language, int position) { return LanguageTables::text(s, language, position); };
    auto label = [](QWidget* d) { return d->findChild<QLabel*>("label")->text(); };
    auto button = [](QWidget* d, const char* name) { return d->findChild<QToolButton*>(name)->text(); };

    QCOMPARE(label(&rePair), text(LanguageSection::RePair, 2, 0));
    QCOMPARE(button(&rePair, "OK"), text(LanguageSection::Question, 2, 2));
    QCOMPARE(button(&rePair, "Cancel"), text(LanguageSection::Question, 2, 3));
    QCOMPARE(label(&reset), text(LanguageSection::ContainReset, 2, 0));
    QCOMPARE(button(&reset, "OK"), text(LanguageSection::DialogChange, 2, 4));
    QCOMPARE(button(&reset, "Cancel"), text(LanguageSection::Question, 2, 3));
    QCOMPARE(label(&lessThree), text(LanguageSection::LessThree, 2, 0));
    QCOMPARE(button(&lessThree, "NewHong"), text(LanguageSection::Question, 2, 2));

    PostMsg::GetInstance()->PostAllLanguage(3);
    QCOMPARE(label(&rePair), text(LanguageSection::RePair, 3, 0));
    QCOMPARE(button(&warning, "NewHong"), text(LanguageSection::Question, 3, 2));
    // New button texts keep the Return key on the confirming buttons.
    QCOMPARE(reset.findChild<QToolButton*>("OK")->shortcut(), QKeySequence(Qt::Key_Return));
    QCOMPARE(warning.findChild<QToolButton*>("NewHong")->shortcut(), QKeySequence(Qt::Key_Return));
    // The warning's message is the caller's, whatever the language.
    QCOMPARE(label(&warning), QString("caller's text"));
    QVERIFY(!text(LanguageSection::RePair, 3, 0).isEmpty());
    g_LanguageIndex = 0;
}

void tst_SettingsNotices::shortColourListLeavesTheLook()
{
    writeCatalogue("LabelColor=10,20\nButtonColor=40,50,60\n");
    RePair shortLabel;
    QCOMPARE(shortLabel.findChild<QLabel*>("label")->styleSheet(), QString());
    QVERIFY(shortLabel.findChild<QToolButton*>("OK")->styleSheet().contains("rgb(40,50,60)"));

    writeCatalogue("LabelColor=10,20,30\nButtonColor=40,50,60\n");
    RePair full;
    QVERIFY(full.findChild<QLabel*>("label")->styleSheet().contains("rgb(10,20,30)"));
}

QTEST_MAIN(tst_SettingsNotices)
#include "tst_settingsnotices.moc"
