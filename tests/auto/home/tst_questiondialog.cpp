#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "ui/home/QuestionDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

class tst_QuestionDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void nameRules_data();
    void nameRules();
    void typedAndCommittedCharacters_data();
    void typedAndCommittedCharacters();
    void pasteGoesThroughTheRules();
    void shiftBlocksTheField();
    void answers_data();
    void answers();
    void textsAndModes();

private:
    static QLineEdit* edit(QWidget* d) { return d->findChild<QLineEdit*>("lineEdit"); }
};

void tst_QuestionDialog::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    ConfigSettings::resetForTests();
}

void tst_QuestionDialog::init()
{
    LanguageTables::clear();
    g_QuestionTexts = {{"New macro name", "New name", "OK", "Cancel"},
                       {"Neuer Makroname", "Neuer Name", "Gut", "Abbrechen"}};
    g_LanguageIndex = 0;
}

void tst_QuestionDialog::nameRules_data()
{
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QString>("expected");

    const QString a29(29, 'a');
    const QString cjk = QString::fromUtf8("宏");  // 3 bytes in UTF-8
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");  // 4 bytes, a surrogate pair

    QTest::newRow("plain") << "Macro1" << "Macro1";
    QTest::newRow("space at the end drops every space") << "my macro " << "mymacro";
    QTest::newRow("inner space kept") << "my macro" << "my macro";
    QTest::newRow("30 letters kept") << QString(30, 'x') << QString(30, 'x');
    QTest::newRow("31 letters cut to 30") << QString(31, 'x') << QString(30, 'x');
    QTest::newRow("multi-byte cut at 30 bytes") << cjk.repeated(11) << cjk.repeated(10);
    QTest::newRow("no half surrogate pair") << a29 + emoji << a29;
    QTest::newRow("surrogate pairs fitting") << QString(14, 'b') + emoji.repeated(5)
                                             << QString(14, 'b') + emoji.repeated(4);
    QTest::newRow("no accent torn off its letter")
        << a29 + QString::fromUtf8("e\xCC\x81") << a29;
    QTest::newRow("slash and backslash dropped") << "a/b\\c" << "abc";
    QTest::newRow("only a slash") << "/" << "";
    QTest::newRow("control characters dropped") << QString::fromUtf8("a\tb\nc\x7f" "d\x01") << "abcd";
    QTest::newRow("C1 control dropped") << QString("x") + QChar(0x85) + "y" << "xy";
    QTest::newRow("dropping comes before the cut") << QString(30, 'z') + "/" << QString(30, 'z');
}

void tst_QuestionDialog::nameRules()
{
    QFETCH(QString, edited);
    QFETCH(QString, expected);

    QCOMPARE(QuestionDialog::cleanName(edited), expected);

    // The same through the field, as the user's edit arrives.
    QuestionDialog d;
    emit edit(&d)->textEdited(edited);
    QCOMPARE(edit(&d)->text(), expected);
    QCOMPARE(edit(&d)->cursorPosition(), expected.size());
}

void tst_QuestionDialog::typedAndCommittedCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refusedAsKey");
    QTest::addColumn<bool>("refusedAsInputMethod");

    QTest::newRow("-") << "-" << true << true;
    QTest::newRow("=") << "=" << true << true;
    QTest::newRow("/") << "/" << true << true;
    QTest::newRow("*") << "*" << true << true;
    QTest::newRow("[") << "[" << true << false;
    QTest::newRow("]") << "]" << true << false;
    QTest::newRow(";") << ";" << true << false;
    QTest::newRow("'") << "'" << true << false;
    QTest::newRow(",") << "," << true << false;
    QTest::newRow(".") << "." << true << false;
    QTest::newRow("`") << "`" << true << false;
    QTest::newRow("\\") << "\\" << true << false;
    QTest::newRow("+") << "+" << true << false;
    QTest::newRow("U+3010") << QString(QChar(0x3010)) << true << true;
    QTest::newRow("U+3011") << QString(QChar(0x3011)) << false << true;
    QTest::newRow("U+FF1B") << QString(QChar(0xFF1B)) << true << true;
    QTest::newRow("U+FF0C") << QString(QChar(0xFF0C)) << true << true;
    QTest::newRow("U+3002") << QString(QChar(0x3002)) << true << true;
    QTest::newRow("U+2019") << QString(QChar(0x2019)) << true << true;
    QTest::newRow("U+3001") << QString(QChar(0x3001)) << false << true;
    QTest::newRow("U+00B7") << QString(QChar(0x00B7)) << false << true;
    QTest::newRow("U+2018") << QString(QChar(0x2018)) << false << true;
    QTest::newRow("letter") << "k" << false << false;
    QTest::newRow("two characters are not examined") << "k-" << false << false;
}

void tst_QuestionDialog::typedAndCommittedCharacters()
{
    QFETCH(QString, text);
    QFETCH(bool, refusedAsKey);
    QFETCH(bool, refusedAsInputMethod);

    // What gets in still passes the name rules (a backslash never stays).
    const QString accepted = QuestionDialog::cleanName(text);

    {
        QuestionDialog d;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(edit(&d), &press);
        QCOMPARE(edit(&d)->text(), refusedAsKey ? QString() : accepted);
    }
    {
        QuestionDialog d;
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit(&d), &commit);
        QCOMPARE(edit(&d)->text(), refusedAsInputMethod ? QString() : accepted);
    }
}

void tst_QuestionDialog::pasteGoesThroughTheRules()
{
    QuestionDialog d;
    QApplication::clipboard()->setText(QString::fromUtf8("ab/c\\d\x01 e"));
    edit(&d)->paste();
    QCOMPARE(edit(&d)->text(), QString("abcd e"));

    // An input method may commit several characters at once.
    QInputMethodEvent commit;
    commit.setCommitString("x/y ");
    QApplication::sendEvent(edit(&d), &commit);
    QCOMPARE(edit(&d)->text(), QString("abcdexy"));
}

void tst_QuestionDialog::shiftBlocksTheField()
{
    QuestionDialog d;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QLineEdit* field = edit(&d);
    QCOMPARE(QApplication::focusWidget(), field);

    QTest::keyPress(field, Qt::Key_Shift);
    QVERIFY(!field->isEnabled());
    QTest::keyClick(field, Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(field->text(), QString());

    QTest::keyRelease(&d, Qt::Key_Shift);
    QVERIFY(field->isEnabled());
    QCOMPARE(QApplication::focusWidget(), field);
    QTest::keyClicks(field, "ab");
    QCOMPARE(field->text(), QString("ab"));
}

void tst_QuestionDialog::answers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");

    QTest::newRow("confirm") << "Macro7" << "NewHong" << "Macro7";
    QTest::newRow("confirm empty") << "" << "NewHong" << "";
    QTest::newRow("cancel") << "Macro7" << "NewHong_2" << "";
    QTest::newRow("close") << "Macro7" << "CloseButton" << "";
}

void tst_QuestionDialog::answers()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QString, answer);

    QuestionDialog d;
    d.answer = "stale";
    bool openAfterKeys = false;
    bool active = false;
    bool fieldFocused = false;
    ModalDialogDriver driver;
    driver.expect("QuestionDialog", [&](QWidget* w) {
        active = QTest::qWaitForWindowActive(w) && QApplication::activeWindow() == w;
        fieldFocused = QApplication::focusWidget() == edit(w);
        QTest::keyClicks(edit(w), typed);
        // Neither Escape nor Return ends the dialog.
        QTest::keyClick(edit(w), Qt::Key_Escape);
        QTest::keyClick(edit(w), Qt::Key_Return);
        openAfterKeys = w->isVisible();
        ModalDialogDriver::click(w, button);
    });
    d.exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(openAfterKeys);
    QVERIFY(active);
    QVERIFY(fieldFocused);
    QCOMPARE(d.answer, answer);
    QVERIFY(d.windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
    QCOMPARE(int(d.windowFlags() & 0x6C12), 0x6C12);
    QCOMPARE(d.size(), QSize(300, 140));
}

void tst_QuestionDialog::textsAndModes()
{
    g_LanguageIndex = 1;
    QuestionDialog d;
    auto label = [&] { return d.findChild<QLabel*>("label")->text(); };
    auto button = [&](const char* name) { return d.findChild<QToolButton*>(name)->text(); };

    QCOMPARE(button("NewHong"), QString("Gut"));
    QCOMPARE(button("NewHong_2"), QString("Abbrechen"));
    d.SetMode(0);
    QCOMPARE(label(), QString("Neuer Makroname"));
    d.SetMode(1);
    QCOMPARE(label(), QString("Neuer Name"));

    // A language change renames the buttons; the prompt follows at the next SetMode.
    PostMsg::GetInstance()->PostAllLanguage(0);
    QCOMPARE(button("NewHong"), QString("OK"));
    QCOMPARE(label(), QString("Neuer Name"));
    d.SetMode(1);
    QCOMPARE(label(), QString("New name"));
}

QTEST_MAIN(tst_QuestionDialog)
#include "tst_questiondialog.moc"
