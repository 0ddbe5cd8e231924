#include "platform/KeyHook.h"
#include "platform/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {
struct Report
{
    int virtualKey;
    bool down;
    bool repeat;
    bool operator==(const Report& o) const { return virtualKey == o.virtualKey && down == o.down && repeat == o.repeat; }
};

QString describe(const QVector<Report>& reports)
{
    QStringList parts;
    for (const Report& r : reports)
        parts << QStringLiteral("%1%2%3").arg(r.virtualKey, 0, 16).arg(r.down ? "v" : "^").arg(r.repeat ? "r" : "");
    return parts.join(' ');
}

// A window with two fields, as a dialog of the program.
struct Window
{
    QWidget widget;
    QLineEdit* first = new QLineEdit(&widget);
    QLineEdit* second = new QLineEdit(&widget);

    Window()
    {
        auto* layout = new QVBoxLayout(&widget);
        layout->addWidget(first);
        layout->addWidget(second);
        widget.resize(200, 100);
    }
};

bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// A module's capture, installed, that records every report it is given.
struct Recorder
{
    QObject owner;
    QVector<Report> seen;
    KeyHook hook;

    explicit Recorder(KeyHookModule module)
        : hook(module)
    {
        hook.Install();
        hook.SetCallback(&owner, [this](int vk, bool down, bool repeat) { seen.append({vk, down, repeat}); });
    }
};
} // namespace

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class tst_KeyCapture : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void keysymsToVirtualKeys_data();
    void keysymsToVirtualKeys();
    void qtKeysToVirtualKeys_data();
    void qtKeysToVirtualKeys();
    void moduleFlags_data();
    void moduleFlags();
    void eachKeyEventReportedOnceAndDelivered_data();
    void eachKeyEventReportedOnceAndDelivered();
    void heldKeyGoesUpOnce_data();
    void heldKeyGoesUpOnce();
    void keyTakenByAShortcutIsStillSeen();
    void nothingFromAWindowThatIsNotActive();
    void nothingAfterRemovalOrOwnerDestroyed();
    void modulesAreIndependent();
};

void tst_KeyCapture::cleanup()
{
    for (KeyHookModule m : {KeyHookModule::Macro, KeyHookModule::AddKey, KeyHookModule::GroupKey}) {
        KeyHook hook(m);
        hook.SetCallback(nullptr, nullptr);
        hook.Uninstall();
        KeyHook::Procedure(m, 0, false);  // back to the start state
    }
}

void tst_KeyCapture::keysymsToVirtualKeys_data()
{
    QTest::addColumn<uint>("keysym");
    QTest::addColumn<int>("virtualKey");

    QTest::newRow("a") << 0x61u << 0x41;
    QTest::newRow("Z") << 0x5Au << 0x5A;
    QTest::newRow("0") << 0x30u << 0x30;
    QTest::newRow("exclam is the 1 key") << 0x21u << 0x31;
    QTest::newRow("parenright is the 0 key") << 0x29u << 0x30;
    QTest::newRow("minus") << 0x2Du << 0xBD;
    QTest::newRow("underscore") << 0x5Fu << 0xBD;
    QTest::newRow("grave") << 0x60u << 0xC0;
    QTest::newRow("asciitilde") << 0x7Eu << 0xC0;
    QTest::newRow("backslash") << 0x5Cu << 0xDC;
    QTest::newRow("space") << 0x20u << 0x20;
    QTest::newRow("odiaeresis") << 0xF6u << 0xC0;
    QTest::newRow("ssharp") << 0xDFu << 0xDB;
    QTest::newRow("Return") << 0xFF0Du << 0x0D;
    QTest::newRow("KP_Enter") << 0xFF8Du << 0x0D;
    QTest::newRow("Escape") << 0xFF1Bu << 0x1B;
    QTest::newRow("ISO_Left_Tab") << 0xFE20u << 0x09;
    QTest::newRow("F1") << 0xFFBEu << 0x70;
    QTest::newRow("F12") << 0xFFC9u << 0x7B;
    QTest::newRow("Shift_L") << 0xFFE1u << 0xA0;
    QTest::newRow("Shift_R") << 0xFFE2u << 0xA1;
    QTest::newRow("Control_R") << 0xFFE4u << 0xA3;
    QTest::newRow("Alt_L") << 0xFFE9u << 0xA4;
    QTest::newRow("ISO_Level3_Shift") << 0xFE03u << 0xA5;
    QTest::newRow("Super_L") << 0xFFEBu << 0x5B;
    QTest::newRow("Super_R") << 0xFFECu << 0x5C;
    QTest::newRow("Menu") << 0xFF67u << 0x5D;
    QTest::newRow("KP_0") << 0xFFB0u << 0x60;
    QTest::newRow("KP_9") << 0xFFB9u << 0x69;
    QTest::newRow("KP_Add") << 0xFFABu << 0x6B;
    QTest::newRow("KP_Decimal") << 0xFFAEu << 0x6E;
    QTest::newRow("KP_Divide") << 0xFFAFu << 0x6F;
    QTest::newRow("KP_End (Num Lock off)") << 0xFF9Cu << 0x23;
    QTest::newRow("KP_Begin is Clear") << 0xFF9Du << 0x0C;
    QTest::newRow("Print") << 0xFF61u << 0x2C;
    QTest::newRow("Scroll_Lock") << 0xFF14u << 0x91;
    QTest::newRow("Caps_Lock") << 0xFFE5u << 0x14;
    QTest::newRow("Num_Lock") << 0xFF7Fu << 0x90;
    QTest::newRow("Left") << 0xFF51u << 0x25;
    QTest::newRow("Next") << 0xFF56u << 0x22;
    QTest::newRow("Delete") << 0xFFFFu << 0x2E;
    QTest::newRow("media key has no code") << 0x1008FF14u << 0;
}

void tst_KeyCapture::keysymsToVirtualKeys()
{
    QFETCH(uint, keysym);
    QFETCH(int, virtualKey);
    QCOMPARE(VirtualKeys::fromKeysym(keysym), virtualKey);
}

void tst_KeyCapture::qtKeysToVirtualKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("virtualKey");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    QTest::newRow("A") << int(Qt::Key_A) << none << 0x41;
    QTest::newRow("shifted A") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0x41;
    QTest::newRow("1") << int(Qt::Key_1) << none << 0x31;
    QTest::newRow("keypad 1") << int(Qt::Key_1) << keypad << 0x61;
    QTest::newRow("plus") << int(Qt::Key_Plus) << none << 0xBB;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << keypad << 0x6B;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 0x0D;
    QTest::newRow("keypad period") << int(Qt::Key_Period) << keypad << 0x6E;
    QTest::newRow("keypad end") << int(Qt::Key_End) << keypad << 0x23;
    QTest::newRow("at") << int(Qt::Key_At) << none << 0x32;
    QTest::newRow("Shift (left assumed)") << int(Qt::Key_Shift) << none << 0xA0;
    QTest::newRow("Control") << int(Qt::Key_Control) << none << 0xA2;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << none << 0xA4;
    QTest::newRow("AltGr") << int(Qt::Key_AltGr) << none << 0xA5;
    QTest::newRow("Meta") << int(Qt::Key_Meta) << none << 0x5B;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 0x1B;
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << none << 0x09;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 0x7B;
    QTest::newRow("Clear") << int(Qt::Key_Clear) << none << 0x0C;
    QTest::newRow("Print") << int(Qt::Key_Print) << none << 0x2C;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 0x26;
    QTest::newRow("Udiaeresis") << int(Qt::Key_Udiaeresis) << none << 0xBA;
    QTest::newRow("media play") << int(Qt::Key_MediaPlay) << none << 0;
}

void tst_KeyCapture::qtKeysToVirtualKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, virtualKey);
    QCOMPARE(VirtualKeys::fromQtKey(key, modifiers), virtualKey);
    // Without a keysym (offscreen) an event goes by its Qt key.
    const QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCOMPARE(VirtualKeys::fromKeyEvent(&event), virtualKey);
}

void tst_KeyCapture::moduleFlags_data()
{
    QTest::addColumn<QList<int>>("keys");  // virtual key, negative for a release
    QTest::addColumn<QString>("reports");

    QTest::newRow("press and release") << QList<int>{0x41, -0x41} << "41v 41^";
    QTest::newRow("held key repeats") << QList<int>{0x41, 0x41, 0x41, -0x41} << "41v 41vr 41vr 41^";
    QTest::newRow("two keys overlapping")
        << QList<int>{0x41, 0x42, -0x41, -0x42} << "41v 42v 41^ 42^";
    QTest::newRow("a release resets the last key") << QList<int>{0x41, -0x41, 0x41} << "41v 41^ 41v";
    QTest::newRow("release of another key, then the held key repeats")
        << QList<int>{0x41, 0x42, -0x42, 0x41} << "41v 42v 42^ 41v";
}

void tst_KeyCapture::moduleFlags()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, reports);

    QObject owner;
    QVector<Report> seen;
    KeyHook hook(KeyHookModule::Macro);
    hook.SetCallback(&owner, [&](int vk, bool down, bool repeat) { seen.append({vk, down, repeat}); });
    for (int k : keys)
        KeyHook::Procedure(KeyHookModule::Macro, qAbs(k), k > 0);
    QCOMPARE(describe(seen), reports);
}

void tst_KeyCapture::eachKeyEventReportedOnceAndDelivered_data()
{
    QTest::addColumn<bool>("throughWindow");  // as the platform delivers, or straight to the widget
    QTest::newRow("through the window") << true;
    QTest::newRow("to the focus widget") << false;
}

void tst_KeyCapture::eachKeyEventReportedOnceAndDelivered()
{
    QFETCH(bool, throughWindow);

    Window w;
    QVERIFY(showActive(&w.widget));
    w.second->setFocus();
    Recorder capture(KeyHookModule::GroupKey);

    // Through the window QTest presses and releases Shift itself around a
    // shifted key; straight to the widget the test does it.
    auto text = [](Qt::Key key, Qt::KeyboardModifiers mods) {
        const char ascii = QTest::keyToAscii(key);
        const QString t = ascii > ' ' ? QString(QChar(ascii)) : QString();
        return mods & Qt::ShiftModifier ? t.toUpper() : t;
    };
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        if (!throughWindow)
            QTest::simulateEvent(w.second, true, key, mods, text(key, mods), false);
        else if (key != Qt::Key_Shift)
            QTest::sendKeyEvent(QTest::Press, w.widget.windowHandle(), key, QTest::keyToAscii(key), mods);
    };
    auto release = [&](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        if (!throughWindow)
            QTest::simulateEvent(w.second, false, key, mods, text(key, mods), false);
        else if (key != Qt::Key_Shift)
            QTest::sendKeyEvent(QTest::Release, w.widget.windowHandle(), key, QTest::keyToAscii(key), mods);
    };

    press(Qt::Key_Shift);
    press(Qt::Key_A, Qt::ShiftModifier);
    release(Qt::Key_A, Qt::ShiftModifier);
    release(Qt::Key_Shift);
    press(Qt::Key_B);
    release(Qt::Key_B);
    press(Qt::Key_Escape);
    release(Qt::Key_Escape);
    press(Qt::Key_Tab);  // moves the focus away: still one report
    release(Qt::Key_Tab);

    QCOMPARE(describe(capture.seen), QString("a0v 41v 41^ a0^ 42v 42^ 1bv 1b^ 9v 9^"));
    // Nothing is taken from the widgets.
    QCOMPARE(w.second->text().toLower(), QString("ab"));
    QVERIFY(w.first->hasFocus());
}

void tst_KeyCapture::heldKeyGoesUpOnce_data()
{
    QTest::addColumn<int>("module");
    QTest::newRow("macro recorder") << int(KeyHookModule::Macro);
    QTest::newRow("key combination") << int(KeyHookModule::GroupKey);
}

void tst_KeyCapture::heldKeyGoesUpOnce()
{
    QFETCH(int, module);

    Window w;
    QVERIFY(showActive(&w.widget));
    w.first->setFocus();
    Recorder capture{KeyHookModule(module)};

    // X11's auto-repeat of a held key: each repeated press follows a release
    // that is marked as auto-repeated as well.
    QTest::simulateEvent(w.first, true, Qt::Key_A, Qt::NoModifier, "a", false);
    for (int i = 0; i < 2; ++i) {
        QTest::simulateEvent(w.first, false, Qt::Key_A, Qt::NoModifier, "a", true);
        QTest::simulateEvent(w.first, true, Qt::Key_A, Qt::NoModifier, "a", true);
    }
    QTest::simulateEvent(w.first, false, Qt::Key_A, Qt::NoModifier, "a", false);

    QCOMPARE(describe(capture.seen), QString("41v 41vr 41vr 41^"));
    QCOMPARE(w.first->text(), QString("aaa"));
}

void tst_KeyCapture::keyTakenByAShortcutIsStillSeen()
{
    Window w;
    int fired = 0;
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F5), &w.widget);
    connect(shortcut, &QShortcut::activated, [&] { ++fired; });
    QVERIFY(showActive(&w.widget));
    w.first->setFocus();
    Recorder capture(KeyHookModule::AddKey);

    QTest::sendKeyEvent(QTest::Press, w.widget.windowHandle(), Qt::Key_F5, char(0), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, w.widget.windowHandle(), Qt::Key_F5, char(0), Qt::NoModifier);
    QTest::keyClick(w.first, Qt::Key_F5);
    QCOMPARE(fired, 2);
    QCOMPARE(describe(capture.seen), QString("74v 74^ 74v 74^"));
}

void tst_KeyCapture::nothingFromAWindowThatIsNotActive()
{
    Window front;
    Window back;
    back.widget.show();
    front.widget.show();
    front.widget.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&front.widget));
    QVERIFY(!back.widget.isActiveWindow());
    Recorder capture(KeyHookModule::Macro);

    QTest::keyClick(back.first, Qt::Key_C);
    QVERIFY(capture.seen.isEmpty());
    QCOMPARE(back.first->text(), QString("c"));

    QApplication::setActiveWindow(nullptr);
    QTest::keyClick(front.first, Qt::Key_D);
    QVERIFY(capture.seen.isEmpty());
}

void tst_KeyCapture::nothingAfterRemovalOrOwnerDestroyed()
{
    Window w;
    QVERIFY(showActive(&w.widget));

    int calls = 0;
    auto owner = std::make_unique<QObject>();
    KeyHook hook(KeyHookModule::GroupKey);
    hook.Install();
    hook.SetCallback(owner.get(), [&](int, bool, bool) { ++calls; });
    QTest::keyClick(w.first, Qt::Key_A);
    QCOMPARE(calls, 2);

    // Removed: nothing; removing twice is harmless.
    hook.Uninstall();
    hook.Uninstall();
    QVERIFY(!hook.IsInstalled());
    QTest::keyClick(w.first, Qt::Key_A);
    QCOMPARE(calls, 2);

    // Installed again but its owner gone: the callback is never called.
    hook.Install();
    owner.reset();
    QTest::keyClick(w.first, Qt::Key_A);
    QCOMPARE(calls, 2);
    QCOMPARE(w.first->text(), QString("aaa"));

    // A handle of a dead owner does not remove the capture of a living one.
    QObject next;
    KeyHook nextHook(KeyHookModule::GroupKey);
    nextHook.Install();
    nextHook.SetCallback(&next, [&](int, bool, bool) { ++calls; });
    hook.Uninstall();
    QVERIFY(nextHook.IsInstalled());
    QTest::keyClick(w.first, Qt::Key_A);
    QCOMPARE(calls, 4);
}

void tst_KeyCapture::modulesAreIndependent()
{
    Window w;
    w.widget.show();
    w.widget.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.widget));

    QObject owner;
    QVector<Report> macro;
    QVector<Report> group;
    KeyHook macroHook(KeyHookModule::Macro);
    KeyHook groupHook(KeyHookModule::GroupKey);
    macroHook.SetCallback(&owner, [&](int vk, bool down, bool repeat) { macro.append({vk, down, repeat}); });
    groupHook.SetCallback(&owner, [&](int vk, bool down, bool repeat) { group.append({vk, down, repeat}); });
    macroHook.Install();
    QTest::keyPress(w.first, Qt::Key_A);
    groupHook.Install();
    QTest::keyPress(w.first, Qt::Key_A, Qt::NoModifier);
    QCOMPARE(describe(macro), QString("41v 41vr"));
    QCOMPARE(describe(group), QString("41v"));
    macroHook.Uninstall();
    QTest::keyRelease(w.first, Qt::Key_A);
    QCOMPARE(describe(macro), QString("41v 41vr"));
    QCOMPARE(describe(group), QString("41v 41^"));
}

QTEST_MAIN(tst_KeyCapture)
#include "tst_keycapture.moc"
