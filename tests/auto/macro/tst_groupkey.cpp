#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "platform/KeyHook.h"
#include "ui/macro/GroupKey.h"
#include "ui/macro/GroupMaxThree.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

#include <memory>

namespace {
// Virtual keys of the capture table, by the names the rows use.
int virtualKeyOf(const QString& token)
{
    static const QHash<QString, int> named = {
        {"Shift", 0xA0}, {"Ctrl", 0xA2}, {"Space", 0x20}, {"F1", 0x70}, {"F12", 0x7B}, {"NumAdd", 0x6B},
        {"Esc", 0x1B},   {"Media", 0xB3}, {"Clear", 0x0C},
    };
    if (named.contains(token))
        return named.value(token);
    return token.at(0).toLatin1();  // letters and digits are their own codes
}

QLineEdit* fieldOf(QWidget* dialog)
{
    return dialog->findChild<QLineEdit*>("lineEdit");
}

void check(QWidget* dialog, const QString& box)
{
    dialog->findChild<QCheckBox*>(box)->setChecked(true);
}
} // namespace

class tst_GroupKey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void captureTable_data();
    void captureTable();
    void answers_data();
    void answers();
    void tooManyKeysGivesTheNoticeAndStartsAgain();
    void typingDoesNotEditTheField();
    void closedFromTheWindowManagerDuringCapture_data();
    void closedFromTheWindowManagerDuringCapture();
};

void tst_GroupKey::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    LanguageTables::clear();
    LanguageTables::load();
}

void tst_GroupKey::init()
{
    g_LanguageIndex = 0;
    QVERIFY(!KeyHook(KeyHookModule::GroupKey).IsInstalled());
}

void tst_GroupKey::captureTable_data()
{
    QTest::addColumn<QString>("steps");  // "ms:key" presses, "ms:^key" releases
    QTest::addColumn<QString>("texts");  // the field after each step

    QTest::newRow("three names, the fourth starts anew")
        << "0:A 100:B 200:D 300:E" << "A | A+B | A+B+D | E";
    QTest::newRow("the third name lets the same key start anew")
        << "0:A 100:B 200:D 300:D" << "A | A+B | A+B+D | D";
    QTest::newRow("after more than two seconds from the first key")
        << "0:A 2500:B" << "A | B";
    QTest::newRow("two seconds count from the first key, not the last")
        << "0:A 1500:B 2500:D" << "A | A+B | D";
    QTest::newRow("a new combination does not restart the two seconds")
        << "0:A 300:B 600:D 1800:E 2200:F" << "A | A+B | A+B+D | E | F";
    QTest::newRow("exactly two seconds still belongs to the combination")
        << "0:A 2000:B" << "A | A+B";
    QTest::newRow("a held second key past two seconds stands alone")
        << "0:A 500:B 1000:B 2100:B" << "A | A+B | A+B | B";
    QTest::newRow("releases change nothing")
        << "0:A 50:^A 100:B 150:^B" << "A | A | A+B | A+B";
    QTest::newRow("the same key twice is taken once, release or not")
        << "0:A 50:^A 100:A" << "A | A | A";
    QTest::newRow("a name already shown is not added again")
        << "0:A 100:B 200:A" << "A | A+B | A+B";
    QTest::newRow("modifiers add nothing while fewer than three names show")
        << "0:A 100:Shift 200:Ctrl 300:B" << "A | A | A | A+B";
    QTest::newRow("a modifier after three names empties the field")
        << "0:A 100:B 200:C 300:Shift" << "A | A+B | A+B+C | ";
    QTest::newRow("keys without a name add nothing")
        << "0:Media 100:Clear 200:A" << " |  | A";
    QTest::newRow("S after Space is a key of its own")
        << "0:Space 100:S" << "Space | Space+S";
    QTest::newRow("F1 after F12 is a key of its own")
        << "0:F12 100:F1" << "F12 | F12+F1";
    QTest::newRow("keypad plus is one name")
        << "0:NumAdd 100:A 200:B 300:C" << "Num+ | Num++A | Num++A+B | C";
    QTest::newRow("Escape is a key") << "0:Esc 100:1" << "Esc | Esc+1";
}

void tst_GroupKey::captureTable()
{
    QFETCH(QString, steps);
    QFETCH(QString, texts);

    GroupKey dialog;
    qint64 now = 0;
    dialog.setClock([&now] { return now; });
    QStringList seen;
    for (const QString& step : steps.split(' ')) {
        now = step.section(':', 0, 0).toLongLong();
        QString key = step.section(':', 1);
        const bool down = !key.startsWith('^');
        if (!down)
            key.remove(0, 1);
        dialog.UpdateCapslockTip(virtualKeyOf(key), down, false);
        seen << fieldOf(&dialog)->text();
    }
    QCOMPARE(seen.join(" | "), texts);
}

void tst_GroupKey::answers_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QList<int>>("keys");  // typed into the dialog while it runs
    QTest::addColumn<QString>("answer");   // NewHong, NewHong_2, CloseButton, wm, escape-then-cancel
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("keyText");

    const QList<int> none;
    QTest::newRow("nothing chosen") << QStringList{} << none << "NewHong" << true << "";
    QTest::newRow("two modifiers") << QStringList{"Ctrl", "Shift"} << none << "NewHong" << true << "Shift+Ctrl";
    QTest::newRow("modifiers in their order") << QStringList{"Win", "Alt"} << none << "NewHong" << true << "Alt+Win";
    QTest::newRow("modifier and key")
        << QStringList{"Shift"} << QList<int>{Qt::Key_F5} << "NewHong" << true << "Shift+F5";
    QTest::newRow("three typed keys")
        << QStringList{} << QList<int>{Qt::Key_Control, Qt::Key_Alt, Qt::Key_Delete, Qt::Key_A, Qt::Key_B}
        << "NewHong" << true << "Del+A+B";
    QTest::newRow("three modifiers") << QStringList{"Shift", "Ctrl", "Alt"} << none << "NewHong" << true
                                     << "Shift+Ctrl+Alt";
    QTest::newRow("keypad plus is one of three names")
        << QStringList{"Ctrl"} << QList<int>{Qt::Key_Plus | Qt::KeypadModifier, Qt::Key_A} << "NewHong" << true
        << "Ctrl+Num++A";
    QTest::newRow("cancel") << QStringList{"Shift"} << QList<int>{Qt::Key_A} << "NewHong_2" << false << "";
    QTest::newRow("close cross") << QStringList{} << QList<int>{Qt::Key_A} << "CloseButton" << false << "";
    QTest::newRow("window manager close") << QStringList{"Win"} << QList<int>{Qt::Key_A} << "wm" << false << "";
    QTest::newRow("Escape is captured and does not close")
        << QStringList{} << QList<int>{Qt::Key_Escape} << "escape-then-ok" << true << "Esc";
}

void tst_GroupKey::answers()
{
    QFETCH(QStringList, boxes);
    QFETCH(QList<int>, keys);
    QFETCH(QString, answer);
    QFETCH(bool, accepted);
    QFETCH(QString, keyText);

    GroupKey dialog;
    ModalDialogDriver driver;
    bool stayedOpen = true;
    driver.expect("GroupKey", [&](QWidget* d) {
        // Keys count once the dialog has the keyboard.
        if (!QTest::qWaitForWindowActive(d))
            return;
        for (const QString& box : boxes)
            check(d, box);
        for (int key : keys) {
            QWidget* target = d->focusWidget() ? d->focusWidget() : d;
            QTest::keyClick(target, Qt::Key(key & ~Qt::KeyboardModifierMask),
                            Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        }
        if (answer == "wm") {
            ModalDialogDriver::closeFromWindowManager(d);
        } else if (answer == "escape-then-ok") {
            stayedOpen = d->isVisible();
            ModalDialogDriver::click(d, "NewHong");
        } else {
            ModalDialogDriver::click(d, answer);
        }
    });
    dialog.exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(stayedOpen);
    QCOMPARE(dialog.accepted, accepted);
    QCOMPARE(dialog.keyText, keyText);
    QVERIFY(!KeyHook(KeyHookModule::GroupKey).IsInstalled());
}

void tst_GroupKey::tooManyKeysGivesTheNoticeAndStartsAgain()
{
    g_LanguageIndex = 1;
    GroupKey dialog;
    ModalDialogDriver driver;
    QString message;
    QPoint noticeAt;
    QPoint dialogAt;
    QString fieldAfter;
    bool boxesKept = false;
    bool stillCapturing = false;
    driver.expect("GroupKey", [&](QWidget* d) {
        if (!QTest::qWaitForWindowActive(d))
            return;
        check(d, "Shift");
        check(d, "Ctrl");
        check(d, "Alt");
        QTest::keyClick(d->focusWidget(), Qt::Key_A);
        dialogAt = d->mapToGlobal(QPoint(0, 0));
        ModalDialogDriver::click(d, "NewHong");  // runs the notice, answered below
        fieldAfter = fieldOf(d)->text();
        boxesKept = d->findChild<QCheckBox*>("Alt")->isChecked();
        stillCapturing = KeyHook(KeyHookModule::GroupKey).IsInstalled() && d->isVisible();
        // Capture starts again: a fresh first name.
        if (!QTest::qWaitForWindowActive(d))
            return;
        QTest::keyClick(d->focusWidget(), Qt::Key_B);
        d->findChild<QCheckBox*>("Ctrl")->setChecked(false);
        d->findChild<QCheckBox*>("Alt")->setChecked(false);
        ModalDialogDriver::click(d, "NewHong");
    });
    driver.expect("GroupMaxThree", [&](QWidget* n) {
        message = ModalDialogDriver::labelText(n, "label");
        noticeAt = n->pos();
        ModalDialogDriver::click(n, "NewHong");
    });
    dialog.exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(message, LanguageTables::text(LanguageSection::MaxThree, 1, 0));
    QCOMPARE(noticeAt, dialogAt);
    QCOMPARE(fieldAfter, QString());
    QVERIFY(boxesKept);
    QVERIFY(stillCapturing);
    QVERIFY(dialog.accepted);
    QCOMPARE(dialog.keyText, QString("Shift+B"));
}

void tst_GroupKey::typingDoesNotEditTheField()
{
    GroupKey dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* field = fieldOf(&dialog);
    QVERIFY(field->hasFocus());
    QVERIFY(!field->testAttribute(Qt::WA_InputMethodEnabled));
    QTest::keyClicks(field, "xy");
    QTest::keyClick(field, Qt::Key_Backspace);
    // Only the capture writes it: X, Y, then BackSpace as a third name.
    QCOMPARE(field->text(), QString("X+Y+BackSpace"));
    // An edit that bypasses the keyboard (a paste) is shown in capitals.
    field->setText(QString());
    field->insert("ctrl+a");
    QCOMPARE(field->text(), QString("CTRL+A"));
    dialog.close();
}

void tst_GroupKey::closedFromTheWindowManagerDuringCapture_data()
{
    QTest::addColumn<QString>("road");
    QTest::newRow("window manager close, then destroyed") << "wm";
    QTest::newRow("destroyed while open") << "destroy";
    QTest::newRow("hidden, then destroyed") << "hide";
}

// Keys pressed after the dialog went away reach nothing of it (ASan builds
// catch any call into the dead dialog).
void tst_GroupKey::closedFromTheWindowManagerDuringCapture()
{
    QFETCH(QString, road);

    QWidget other;
    auto* otherField = new QLineEdit(&other);
    auto* dialog = new GroupKey;
    QPointer<GroupKey> guard(dialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog->focusWidget(), Qt::Key_A);
    QCOMPARE(fieldOf(dialog)->text(), QString("A"));

    if (road == "wm") {
        ModalDialogDriver::closeFromWindowManager(dialog);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!dialog->accepted);
        QVERIFY(!KeyHook(KeyHookModule::GroupKey).IsInstalled());
        QTest::keyClick(dialog, Qt::Key_B);  // a late key to the closed dialog
    } else if (road == "hide") {
        dialog->hide();
        QVERIFY(!KeyHook(KeyHookModule::GroupKey).IsInstalled());
    }
    delete dialog;
    QVERIFY(!guard);
    QVERIFY(!KeyHook(KeyHookModule::GroupKey).IsInstalled());

    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTest::keyClicks(otherField, "cd");
    QCOMPARE(otherField->text(), QString("cd"));
}

QTEST_MAIN(tst_GroupKey)
#include "tst_groupkey.moc"
