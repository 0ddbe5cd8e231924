// Recording a macro from keys typed with xdotool into a private X server: held
// keys, measured and fixed pauses, the 70-event limit, the home page's page
// buttons locked meanwhile, and leaving the device ending the recording.
// Skips when Xvfb or xdotool is missing. With DESKLINK_SCREENSHOT_DIR set it
// also saves the screen while idle, recording and at the limit notice, in the
// language DESKLINK_SCREENSHOT_LANGUAGE (0 by default).

#include "ModalDialogDriver.h"
#include "XServer.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "ui/home/Dialog.h"
#include "ui/macro/Macro.h"
#include "ui/macro/MacroFolder.h"

#include <HidSimControl.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

constexpr int kWaitMs = XServer::kWaitMs;
const char* const kPageButtons[] = {"ButtonMain", "SensorButton", "MacroButton", "LightsButton", "FormSetting"};

} // namespace

class tst_MacroRecordingX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void heldKeysWithMeasuredPauses();
    void fixedPauses();
    void stopsAtSeventyEvents();
    void typingWithShiftHeldEndsWithShiftReleased();
    void leavingTheDeviceEndsTheRecording();
    void keysHeldWhenTheKeyboardGoesElsewhere();

private:
    template <typename T>
    T* child(const char* name) const
    {
        T* w = m_home->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QListWidget* events() const { return m_macro->findChild<QListWidget*>("listWidgetKey"); }
    QStringList rows() const;
    // The rows with every pause shown as an empty text.
    QStringList keyRows() const;
    bool pageButtonsEnabled(bool enabled) const;
    void startRecording();
    void screenshot(const QString& name);
    // Runs xdotool while the program goes on handling events; its run time in `ms`.
    bool typeKeys(const QStringList& arguments, qint64* ms = nullptr);

    QWidget* m_window = nullptr;
    Dialog* m_home = nullptr;
    Macro* m_macro = nullptr;
    int m_language = 0;
};

QStringList tst_MacroRecordingX11::rows() const
{
    QStringList out;
    for (int i = 0; i < events()->count(); ++i) {
        const QListWidgetItem* item = events()->item(i);
        out << (item->text().contains("ms") ? QString() : item->type() == 1 ? "-" : "+") + item->text();
    }
    return out;
}

QStringList tst_MacroRecordingX11::keyRows() const
{
    QStringList keys = rows();
    for (QString& row : keys) {
        if (row.endsWith("ms"))
            row.clear();
    }
    return keys;
}

bool tst_MacroRecordingX11::pageButtonsEnabled(bool enabled) const
{
    for (const char* name : kPageButtons) {
        if (child<QToolButton>(name)->isEnabled() != enabled)
            return false;
    }
    return true;
}

void tst_MacroRecordingX11::screenshot(const QString& name)
{
    const QString dir = qEnvironmentVariable("DESKLINK_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QTest::qWait(200);  // let the last paint reach the screen
    QGuiApplication::primaryScreen()->grabWindow(0).save(QStringLiteral("%1/macro-%2-%3.png").arg(dir, name).arg(m_language));
}

bool tst_MacroRecordingX11::typeKeys(const QStringList& arguments, qint64* ms)
{
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral("xdotool"), arguments);
    if (!p.waitForStarted(kWaitMs))
        return false;
    while (p.state() != QProcess::NotRunning && clock.elapsed() < kWaitMs)
        QTest::qWait(10);
    if (ms)
        *ms = clock.elapsed();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void tst_MacroRecordingX11::initTestCase()
{
    if (!XServer::upForQt())
        QSKIP("needs Xvfb and xdotool");
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    m_language = qEnvironmentVariableIntValue("DESKLINK_SCREENSHOT_LANGUAGE");
    ConfigSettings::resetForTests();
    LanguageTables::load();
    g_LanguageIndex = m_language;
    QVERIFY(hidsim::HidSimControl::reset(R"({"vendorId": "3A7C", "mice": [], "receivers": []})"));
    const QString folder = MacroFolder::defaultPath();
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"Combo", "Recorded"}) {
        QFile file(folder + "/" + name + ".ini");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\n0x04 1 0\n10ms\n0x04 1 1\n");
    }

    m_window = new QWidget;
    m_home = new Dialog(m_window);
    m_window->resize(m_home->size());
    m_window->move(40, 40);
    PostMsg::GetInstance()->PostAllLanguage(m_language);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QTest::mouseClick(child<QToolButton>("MacroButton"), Qt::LeftButton);
    m_macro = m_home->findChild<Macro*>();
    QVERIFY(m_macro);
    QTRY_VERIFY(m_macro->isVisible());
}

void tst_MacroRecordingX11::cleanupTestCase()
{
    delete m_window;
}

void tst_MacroRecordingX11::init()
{
    QVERIFY(XServer::focusWindow(m_window->winId()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), kWaitMs);
    auto* macros = m_macro->findChild<QListWidget*>("listWidgetHong");
    const QListWidgetItem* item = macros->findItems("Recorded", Qt::MatchExactly).value(0);
    QVERIFY(item);
    QTest::mouseClick(macros->viewport(), Qt::LeftButton, {}, macros->visualItemRect(item).center());
    QCOMPARE(macros->currentItem()->text(), QString("Recorded"));
    m_macro->findChild<QCheckBox*>("AutoInsertDelay")->click();
}

void tst_MacroRecordingX11::cleanup()
{
    if (g_MacroRecording || !m_macro->findChild<QPushButton*>("StopRecord")->isHidden())
        m_macro->on_StopRecord_clicked();
}

void tst_MacroRecordingX11::startRecording()
{
    screenshot("idle");
    QTest::mouseClick(m_macro->findChild<QPushButton*>("StartRecord"), Qt::LeftButton);
    QVERIFY(g_MacroRecording);
    QVERIFY(pageButtonsEnabled(false));
    QVERIFY(events()->count() == 0);
}

void tst_MacroRecordingX11::heldKeysWithMeasuredPauses()
{
    startRecording();
    qint64 took = 0;
    // A held for half a second; then Shift held around b, and c.
    QVERIFY(typeKeys({"keydown", "a", "sleep", "0.5", "keyup", "a", "keydown", "Shift_L", "key", "b", "keyup",
                      "Shift_L", "key", "c"},
                     &took));
    const QStringList expected{"+A", "", "-A", "", "+LShift", "", "+B", "", "-B", "", "-LShift", "", "+C", "", "-C"};
    QTRY_COMPARE_WITH_TIMEOUT(rows().size(), expected.size(), kWaitMs);
    QCOMPARE(keyRows(), expected);
    QVERIFY(pageButtonsEnabled(false));
    screenshot("recording");

    // The hold is in the pause before the release: at least most of the half
    // second, and never more than the whole typing took.
    const int held = events()->item(1)->text().chopped(2).toInt();
    QVERIFY2(held >= 300 && held <= took, qPrintable(QString("held %1 ms of %2 ms").arg(held).arg(took)));
    int total = 0;
    for (int i = 1; i < events()->count(); i += 2)
        total += events()->item(i)->text().chopped(2).toInt();
    QVERIFY2(total <= took, qPrintable(QString("pauses %1 ms of %2 ms").arg(total).arg(took)));

    QTest::mouseClick(m_macro->findChild<QPushButton*>("StopRecord"), Qt::LeftButton);
    QVERIFY(!g_MacroRecording);
    QVERIFY(pageButtonsEnabled(true));
    QCOMPARE(events()->count(), expected.size());
    QVERIFY(m_macro->findChild<QToolButton*>("Save")->isEnabled());
}

void tst_MacroRecordingX11::fixedPauses()
{
    m_macro->findChild<QCheckBox*>("DefaultDelay")->click();
    m_macro->findChild<QSpinBox*>("DelayTime")->setValue(40);
    startRecording();
    QVERIFY(typeKeys({"key", "--delay", "150", "x", "Return"}));
    QTRY_COMPARE_WITH_TIMEOUT(rows(), (QStringList{"+X", "40ms", "-X", "40ms", "+Enter", "40ms", "-Enter"}), kWaitMs);
}

void tst_MacroRecordingX11::stopsAtSeventyEvents()
{
    startRecording();
    ModalDialogDriver driver;
    driver.expect("KeyNumberLimit", [this](QWidget* d) {
        screenshot("limit");
        ModalDialogDriver::click(d, "NewHong");
    }, kWaitMs);
    QStringList keys{"key", "--delay", "20"};
    for (int i = 0; i < 40; ++i)
        keys << QString(QChar('a' + i % 26));
    QVERIFY(typeKeys(keys));
    QVERIFY2(driver.waitAllHandled(kWaitMs), qPrintable(driver.failures().join('\n')));
    QVERIFY(!g_MacroRecording);
    QCOMPARE(events()->count(), 70 + 69);
    QCOMPARE(rows().last(), QString("-I"));  // the 35th key
    // The page and the home page stay locked until Stop.
    QVERIFY(m_macro->findChild<QPushButton*>("StartRecord")->isHidden());
    QVERIFY(pageButtonsEnabled(false));
    QVERIFY(typeKeys({"key", "z"}));
    QTest::qWait(100);
    QCOMPARE(events()->count(), 70 + 69);
    QTest::mouseClick(m_macro->findChild<QPushButton*>("StopRecord"), Qt::LeftButton);
    QVERIFY(pageButtonsEnabled(true));
}

// Typing on with Shift held until the limit: the press that leaves no room
// for the releases ends the recording, and Shift is released in the macro.
void tst_MacroRecordingX11::typingWithShiftHeldEndsWithShiftReleased()
{
    startRecording();
    ModalDialogDriver driver;
    driver.expect("KeyNumberLimit", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); }, kWaitMs);
    QStringList keys{"keydown", "Shift_L", "key", "--delay", "20"};
    for (int i = 0; i < 40; ++i)
        keys << QString(QChar('a' + i % 26));
    keys << "keyup" << "Shift_L";
    QVERIFY(typeKeys(keys));
    QVERIFY2(driver.waitAllHandled(kWaitMs), qPrintable(driver.failures().join('\n')));
    QVERIFY(!g_MacroRecording);
    QCOMPARE(events()->count(), 70 + 69);
    const QStringList all = rows();
    QCOMPARE(all.first(), QString("+LShift"));
    QCOMPARE(all.at(all.size() - 3), QString("-H"));  // the 34th key
    QCOMPARE(all.last(), QString("-LShift"));
    QVERIFY(m_macro->findChild<QToolButton*>("Save")->isEnabled());
    screenshot("limit-shift");
    QTest::mouseClick(m_macro->findChild<QPushButton*>("StopRecord"), Qt::LeftButton);
    QCOMPARE(rows(), all);
}

void tst_MacroRecordingX11::leavingTheDeviceEndsTheRecording()
{
    startRecording();
    QVERIFY(typeKeys({"key", "q"}));
    QTRY_COMPARE_WITH_TIMEOUT(rows().size(), 3, kWaitMs);
    QTest::mouseClick(child<QToolButton>("UpArrow"), Qt::LeftButton);
    QVERIFY(!g_MacroRecording);
    QVERIFY(pageButtonsEnabled(true));
    QVERIFY(!m_macro->findChild<QPushButton*>("StartRecord")->isHidden());
    // The recorded rows stay an unsaved edit.
    QVERIFY(m_macro->findChild<QToolButton*>("Save")->isEnabled());
    QVERIFY(XServer::focusWindow(m_window->winId()));
    QVERIFY(typeKeys({"key", "w"}));
    QTest::qWait(100);
    QCOMPARE(rows().size(), 3);
}

// Keys still down when another program takes the keyboard are released in the
// macro at that moment, the last pressed first; their real releases are never
// seen. The recording goes on when the person comes back.
void tst_MacroRecordingX11::keysHeldWhenTheKeyboardGoesElsewhere()
{
    startRecording();
    QVERIFY(typeKeys({"keydown", "Shift_L", "keydown", "a"}));
    QTRY_COMPARE_WITH_TIMEOUT(rows().size(), 3, kWaitMs);
    QVERIFY(XServer::focusElsewhere());
    QTRY_COMPARE_WITH_TIMEOUT(rows().size(), 7, kWaitMs);
    QVERIFY(g_MacroRecording);
    QVERIFY(typeKeys({"keyup", "a", "keyup", "Shift_L"}));

    QVERIFY(XServer::focusWindow(m_window->winId()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), kWaitMs);
    QVERIFY(typeKeys({"key", "b"}));
    const QStringList expected{"+LShift", "", "+A", "", "-A", "", "-LShift", "", "+B", "", "-B"};
    QTRY_COMPARE_WITH_TIMEOUT(rows().size(), expected.size(), kWaitMs);
    QCOMPARE(keyRows(), expected);
}

int main(int argc, char** argv)
{
    return XServer::exec<tst_MacroRecordingX11>(argc, argv);
}

#include "tst_macrorecordingx11.moc"
