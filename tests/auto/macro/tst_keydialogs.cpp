#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "platform/KeyHook.h"
#include "ui/macro/AddDelayTime.h"
#include "ui/macro/FireKey.h"
#include "ui/macro/GroupKey.h"
#include "ui/macro/GroupMaxThree.h"
#include "ui/macro/KeyNumberLimit.h"
#include "ui/macro/MakeMacro.h"
#include "ui/macro/MyButton.h"
#include "ui/macro/MyLineEdit.h"
#include "ui/macro/SameMacro.h"
#include "ui/macro/addKey.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
using Factory = std::function<QDialog*()>;

Factory factoryFor(const QString& name)
{
    static const QHash<QString, Factory> factories = {
        {"GroupKey", [] { return new GroupKey; }},         {"addKey", [] { return new addKey; }},
        {"AddDelayTime", [] { return new AddDelayTime; }}, {"FireKey", [] { return new FireKey; }},
        {"MakeMacro", [] { return new MakeMacro; }},       {"SameMacro", [] { return new SameMacro; }},
        {"GroupMaxThree", [] { return new GroupMaxThree; }}, {"KeyNumberLimit", [] { return new KeyNumberLimit; }},
    };
    return factories.value(name);
}

// Answers the running dialog: a button by object name, "wm" (window manager
// close) or "escape".
void answer(QWidget* d, const QString& how)
{
    if (how == "wm")
        ModalDialogDriver::closeFromWindowManager(d);
    else if (how == "escape")
        ModalDialogDriver::typeKey(d, Qt::Key_Escape);
    else
        ModalDialogDriver::click(d, how);
}

// Types into a spin box of the dialog, replacing its text.
void typeInto(QWidget* d, const QString& box, const QString& text)
{
    auto* spin = d->findChild<QSpinBox*>(box);
    if (!spin || text.isEmpty())
        return;
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
}
} // namespace

class tst_KeyDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void texts_data();
    void texts();
    void singleKeyAnswers_data();
    void singleKeyAnswers();
    void delayAnswers_data();
    void delayAnswers();
    void fireAnswers_data();
    void fireAnswers();
    void noticesCloseAndAnswerNothing_data();
    void noticesCloseAndAnswerNothing();
    void closeCrossTakesAClick_data();
    void closeCrossTakesAClick();
    void keyboardProofLineEdit();
    void handCursorButton();
};

void tst_KeyDialogs::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    LanguageTables::clear();
    LanguageTables::load();
}

void tst_KeyDialogs::init()
{
    g_LanguageIndex = 0;
}

void tst_KeyDialogs::texts_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("labels");   // object name = section:position
    QTest::addColumn<QStringList>("buttons");  // object name = Question position

    const QStringList okCancel{"NewHong=2", "NewHong_2=3"};
    const QStringList ok{"NewHong=2"};
    QTest::newRow("GroupKey") << "GroupKey" << QStringList{"label=groupKey:0"} << okCancel;
    QTest::newRow("addKey") << "addKey" << QStringList{"label=AddKey:0"} << okCancel;
    QTest::newRow("AddDelayTime") << "AddDelayTime" << QStringList{"label=AddDelayTime:0"} << okCancel;
    QTest::newRow("FireKey") << "FireKey" << QStringList{"label=FireKey:0", "label_2=FireKey:1", "label_3=FireKey:2"}
                             << okCancel;
    QTest::newRow("MakeMacro") << "MakeMacro" << QStringList{"label=MakeMacro:0"} << ok;
    QTest::newRow("SameMacro") << "SameMacro" << QStringList{"label=SameMacro:0"} << ok;
    QTest::newRow("GroupMaxThree") << "GroupMaxThree" << QStringList{"label=MaxThree:0"} << ok;
    QTest::newRow("KeyNumberLimit") << "KeyNumberLimit" << QStringList{"label=Limit:0"} << ok;
}

// The texts of every language, each inside its widget; the language broadcast
// reaches an open dialog.
void tst_KeyDialogs::texts()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, buttons);

    std::unique_ptr<QDialog> d(factoryFor(dialog)());
    QCOMPARE(d->windowTitle(), QString("Dialog"));
    QCOMPARE(d->windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    for (int language = 0; language < kLanguageCount; ++language) {
        emit PostMsg::GetInstance()->SigAllLanguage(language);
        for (const QString& entry : labels) {
            const QString name = entry.section('=', 0, 0);
            const QString section = entry.section('=', 1).section(':', 0, 0);
            const int position = entry.section(':', 1).toInt();
            LanguageSection which = LanguageSection::Question;
            for (int s = 0; s < kLanguageSectionCount; ++s) {
                if (LanguageTables::sectionName(LanguageSection(s)) == section)
                    which = LanguageSection(s);
            }
            auto* label = d->findChild<QLabel*>(name);
            QVERIFY2(label, qPrintable(name));
            const QString expected = LanguageTables::text(which, language, position);
            QVERIFY(!expected.isEmpty());
            QCOMPARE(label->text(), expected);
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), expected);
            QVERIFY2(label->contentsRect().contains(needed),
                     qPrintable(QString("%1 %2 in language %3 needs %4x%5")
                                    .arg(dialog, name).arg(language).arg(needed.width()).arg(needed.height())));
        }
        for (const QString& entry : buttons) {
            auto* button = d->findChild<QAbstractButton*>(entry.section('=', 0, 0));
            QVERIFY(button);
            const QString expected = LanguageTables::text(LanguageSection::Question, language, entry.section('=', 1).toInt());
            QCOMPARE(button->text(), expected);
            QVERIFY2(button->fontMetrics().horizontalAdvance(expected) < button->width(),
                     qPrintable(QString("%1 in language %2").arg(expected).arg(language)));
        }
    }
}

void tst_KeyDialogs::singleKeyAnswers_data()
{
    QTest::addColumn<QList<int>>("events");  // Qt keys, negative for a release
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("keyName");
    QTest::addColumn<int>("result");

    QTest::newRow("A") << QList<int>{Qt::Key_A, -Qt::Key_A} << "NewHong" << true << "A" << int(QDialog::Accepted);
    QTest::newRow("the last event decides")
        << QList<int>{Qt::Key_Shift, Qt::Key_A, -Qt::Key_A, -Qt::Key_Shift} << "NewHong" << true << "LShift"
        << int(QDialog::Accepted);
    QTest::newRow("Clear has the empty name")
        << QList<int>{Qt::Key_Clear, -Qt::Key_Clear} << "NewHong" << true << "" << int(QDialog::Accepted);
    QTest::newRow("a media key has no name")
        << QList<int>{Qt::Key_A, -Qt::Key_A, Qt::Key_MediaPlay, -Qt::Key_MediaPlay} << "NewHong" << true << "" << int(QDialog::Accepted);
    QTest::newRow("Escape is a key, not a way out")
        << QList<int>{Qt::Key_Escape, -Qt::Key_Escape} << "NewHong" << true << "Esc" << int(QDialog::Accepted);
    QTest::newRow("F12") << QList<int>{Qt::Key_F12, -Qt::Key_F12} << "NewHong" << true << "F12" << int(QDialog::Accepted);
    QTest::newRow("arrow") << QList<int>{Qt::Key_Left, -Qt::Key_Left} << "NewHong" << true << QString::fromUtf8("\u2190")
                           << int(QDialog::Accepted);
    QTest::newRow("cancel") << QList<int>{Qt::Key_A, -Qt::Key_A} << "NewHong_2" << false << "A"
                            << int(QDialog::Rejected);
    QTest::newRow("close cross") << QList<int>{Qt::Key_B, -Qt::Key_B} << "CloseButton" << false << "B" << int(QDialog::Rejected);
    QTest::newRow("window manager") << QList<int>{Qt::Key_C, -Qt::Key_C} << "wm" << false << "C" << int(QDialog::Rejected);
}

void tst_KeyDialogs::singleKeyAnswers()
{
    QFETCH(QList<int>, events);
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    QFETCH(QString, keyName);
    QFETCH(int, result);

    addKey dialog;
    ModalDialogDriver driver;
    QString field;
    bool open = false;
    driver.expect("addKey", [&](QWidget* d) {
        // Keys count once the dialog has the keyboard.
        if (!QTest::qWaitForWindowActive(d))
            return;
        QWidget* target = d->focusWidget();
        for (int e : events) {
            if (e > 0)
                QTest::keyPress(target, Qt::Key(e));
            else
                QTest::keyRelease(target, Qt::Key(-e));
        }
        field = d->findChild<QLineEdit*>("lineEdit")->text();
        open = d->isVisible();
        answer(d, how);
    });
    const int exitCode = dialog.exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(open);
    QCOMPARE(dialog.accepted, accepted);
    QCOMPARE(dialog.keyName, keyName);
    // A character the field inserted itself is replaced by the name on release.
    QCOMPARE(field, keyName);
    QCOMPARE(exitCode, result);
    QVERIFY(!KeyHook(KeyHookModule::AddKey).IsInstalled());
}

void tst_KeyDialogs::delayAnswers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("delay");

    QTest::newRow("confirmed at once") << "" << "NewHong" << true << 10;
    QTest::newRow("typed") << "250" << "NewHong" << true << 250;
    QTest::newRow("the largest") << "65535" << "NewHong" << true << 65535;
    QTest::newRow("a digit too many is refused") << "70000" << "NewHong" << true << 7000;
    QTest::newRow("below the least stays at the last value") << "5" << "NewHong" << true << 10;
    QTest::newRow("cancel") << "250" << "NewHong_2" << false << 0;
    QTest::newRow("close cross") << "250" << "CloseButton" << false << 0;
    QTest::newRow("Escape") << "250" << "escape" << false << 0;
    QTest::newRow("window manager") << "250" << "wm" << false << 0;
}

void tst_KeyDialogs::delayAnswers()
{
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    QFETCH(int, delay);

    AddDelayTime dialog;
    ModalDialogDriver driver;
    driver.expect("AddDelayTime", [&](QWidget* d) {
        typeInto(d, "spinBox", typed);
        answer(d, how);
    });
    dialog.exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(dialog.accepted, accepted);
    QCOMPARE(dialog.delayTime, delay);
}

void tst_KeyDialogs::fireAnswers_data()
{
    QTest::addColumn<int>("presetInterval");
    QTest::addColumn<int>("presetCount");
    QTest::addColumn<QString>("typedInterval");
    QTest::addColumn<QString>("typedCount");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("count");

    QTest::newRow("defaults") << 10 << 3 << "" << "" << "NewHong" << true << 10 << 3;
    QTest::newRow("the button's values") << 50 << 0 << "" << "" << "NewHong" << true << 50 << 0;
    QTest::newRow("presets above the ranges") << 300 << 5 << "" << "" << "NewHong" << true << 255 << 3;
    QTest::newRow("presets below the ranges") << 5 << -1 << "" << "" << "NewHong" << true << 10 << 0;
    QTest::newRow("typed") << 10 << 3 << "99" << "1" << "NewHong" << true << 99 << 1;
    QTest::newRow("typed beyond the ranges") << 10 << 3 << "2555" << "9" << "NewHong" << true << 255 << 3;
    QTest::newRow("cancel keeps the answer") << 50 << 0 << "99" << "1" << "NewHong_2" << false << 10 << 3;
    QTest::newRow("close cross") << 50 << 0 << "99" << "" << "CloseButton" << false << 10 << 3;
    QTest::newRow("Escape") << 50 << 0 << "99" << "" << "escape" << false << 10 << 3;
    QTest::newRow("window manager") << 50 << 0 << "99" << "" << "wm" << false << 10 << 3;
}

void tst_KeyDialogs::fireAnswers()
{
    QFETCH(int, presetInterval);
    QFETCH(int, presetCount);
    QFETCH(QString, typedInterval);
    QFETCH(QString, typedCount);
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    QFETCH(int, interval);
    QFETCH(int, count);

    FireKey dialog;
    dialog.SetInterval(presetInterval);
    dialog.SetCount(presetCount);
    ModalDialogDriver driver;
    driver.expect("FireKey", [&](QWidget* d) {
        typeInto(d, "Time", typedInterval);
        typeInto(d, "Count", typedCount);
        answer(d, how);
    });
    dialog.exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(dialog.accepted, accepted);
    QCOMPARE(dialog.interval, interval);
    QCOMPARE(dialog.count, count);
}

void tst_KeyDialogs::noticesCloseAndAnswerNothing_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("how");
    for (const char* notice : {"MakeMacro", "SameMacro", "GroupMaxThree", "KeyNumberLimit"}) {
        for (const char* how : {"NewHong", "CloseButton", "escape"})
            QTest::addRow("%s %s", notice, how) << notice << how;
    }
}

void tst_KeyDialogs::noticesCloseAndAnswerNothing()
{
    QFETCH(QString, notice);
    QFETCH(QString, how);

    std::unique_ptr<QDialog> d(factoryFor(notice)());
    ModalDialogDriver driver;
    bool closed = false;
    driver.expect(notice, [&](QWidget* n) {
        answer(n, how);
        closed = !n->isVisible();
    });
    d->exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(closed);
}

void tst_KeyDialogs::closeCrossTakesAClick_data()
{
    QTest::addColumn<QString>("dialog");
    for (const char* dialog :
         {"GroupKey", "addKey", "AddDelayTime", "FireKey", "MakeMacro", "SameMacro", "GroupMaxThree", "KeyNumberLimit"})
        QTest::newRow(dialog) << dialog;
}

// A click on the middle of the close cross closes the dialog: nothing else of
// the form lies over it.
void tst_KeyDialogs::closeCrossTakesAClick()
{
    QFETCH(QString, dialog);

    std::unique_ptr<QDialog> d(factoryFor(dialog)());
    ModalDialogDriver driver;
    bool clicked = false;
    bool closed = false;
    driver.expect(dialog, [&](QWidget* shown) {
        clicked = ModalDialogDriver::clickWhereShown(shown, "CloseButton");
        closed = !shown->isVisible();
    });
    d->exec();
    QVERIFY(clicked);
    QVERIFY2(closed, qPrintable(dialog + " stayed open"));
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
}

void tst_KeyDialogs::keyboardProofLineEdit()
{
    MyLineEdit field;
    field.show();
    field.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&field));
    field.setText("Ctrl");
    QTest::keyClicks(&field, "abc");
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.text(), QString("Ctrl"));
    field.setText("A+B");
    QCOMPARE(field.text(), QString("A+B"));
}

void tst_KeyDialogs::handCursorButton()
{
    MyButton button;
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&button, &enter);
    QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(tst_KeyDialogs)
#include "tst_keydialogs.moc"
