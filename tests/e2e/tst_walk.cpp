// The whole program on one road: the program's own executable under a private
// X server on a virtual wired mouse, driven with xdotool as a person would
// drive it. It opens the mouse, changes one setting on each page, switches the
// language, goes back to the device list and quits; the mouse's flash then
// holds every change and the program has ended normally.
//
// Widgets are found by object name through a small probe plugin that Qt loads
// into the program (see WidgetProbePlugin.cpp); every input is a real X event.
// A screenshot of each page is kept in E2E_SHOT_DIR (not compared).
#include "TestHome.h"
#include "XServer.h"

#include "core/AppPaths.h"
#include "device/FlashDataMap.h"
#include "device/ImageFieldCodes.h"
#include "ui/buttons/ButtonFunctionTable.h"
#include "ui/sensor/SensorRate.h"
#include "ui/sensor/StopCloseTime.h"

#include <HidSimControl.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <cstring>
#include <functional>

using hidsim::HidSimControl;

namespace {

// Every wait is for a condition; this only ends a wait that would never end.
constexpr int kWaitMs = 60000;
const QString kMouse = QStringLiteral("m7");
const QByteArray kScenario = R"({"vendorId": "3A7C", "mice": [
    {"id": "m7", "cid": 51, "mid": 7, "usbPid": "0A01", "receiverKind": 0, "firmware": "v1.3",
     "cable": true, "powered": true, "battery": 100}], "receivers": []})";
constexpr int kGerman = 1;

bool waitFor(const std::function<bool()>& condition, int ms = kWaitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.hasExpired(ms))
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

class tst_Walk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void openMouse();
    void sensorPage();
    void buttonPage();
    void macroOnButton();
    void lightingPage();
    void settingsPage();
    void language();
    void backToList();
    void quit();
    void cleanupTestCase();

private:
    FlashDataMap image() const;
    QByteArray ask(const QByteArray& question);
    QPoint find(const QString& name);
    void click(const QString& name);
    void clickRow(const QString& comboName, int row);
    bool xdotool(const QStringList& arguments);
    void shot(const QString& name);
    bool programRunning() const { return m_program.state() != QProcess::NotRunning; }

    TestHome m_home;
    XServer m_x;
    QProcess m_program;
    QLocalSocket m_probe;
    QString m_shots;
    FlashDataMap m_expected{};  // the image the walk's changes should leave
    QVector<int> m_changed;     // offsets the walk changed
    int m_language = 0;
    bool m_broken = false;
    int m_buttonChanged = -1;  // device button the button step changed
    int m_idleEntry = -1;      // idle light-off entry the settings step chose  // a step failed: the later ones cannot follow on
};

FlashDataMap tst_Walk::image() const
{
    FlashDataMap out{};
    const QByteArray bytes = HidSimControl::configImage(kMouse);
    if (bytes.size() == int(sizeof out))
        std::memcpy(&out, bytes.constData(), sizeof out);
    return out;
}

QByteArray tst_Walk::ask(const QByteArray& question)
{
    if (m_probe.state() != QLocalSocket::ConnectedState)
        return QByteArray();
    m_probe.write(question + '\n');
    m_probe.flush();
    // The program answers from its event loop: no answer means it hangs.
    while (!m_probe.canReadLine()) {
        if (!m_probe.waitForReadyRead(kWaitMs))
            return QByteArray();
    }
    return m_probe.readLine().trimmed();
}

// The screen position of the visible widget of that name, scrolled into view
// with the mouse wheel as a person would; a null point when it never shows.
QPoint tst_Walk::find(const QString& name)
{
    QPoint at;
    int wheel = 0;
    const bool found = waitFor([&] {
        const QList<QByteArray> words = ask("where " + name.toUtf8()).split(' ');
        if (words.value(0) == "hidden" && words.size() == 3 && wheel < 40) {
            // Down first, then back up should the widget lie above the view.
            xdotool({"mousemove", words.at(1), words.at(2), "click", wheel < 20 ? "5" : "4"});
            ++wheel;
            return false;
        }
        if (words.size() != 2)
            return false;
        at = QPoint(words.at(0).toInt(), words.at(1).toInt());
        return true;
    });
    return found ? at : QPoint();
}

void tst_Walk::click(const QString& name)
{
    const QPoint at = find(name);
    QVERIFY2(!at.isNull(), qPrintable(name + " never showed"));
    QVERIFY(xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
}

void tst_Walk::clickRow(const QString& comboName, int row)
{
    click(comboName);
    QPoint at;
    QVERIFY2(waitFor([&] {
                 const QList<QByteArray> words = ask("where " + comboName.toUtf8() + ' ' + QByteArray::number(row))
                                                     .split(' ');
                 if (words.size() != 2)
                     return false;
                 at = QPoint(words.at(0).toInt(), words.at(1).toInt());
                 return true;
             }),
             qPrintable(comboName + "'s list never showed its row"));
    QVERIFY(xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
}

bool tst_Walk::xdotool(const QStringList& arguments)
{
    return XServer::xdotool(arguments);
}

void tst_Walk::shot(const QString& name)
{
    // Let the page paint what the last change showed: the probe answers only
    // between events, so one more answer means the queued paints are done.
    ask("windows");
    QProcess import;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(m_x.display()));
    import.setProcessEnvironment(env);
    import.start(QStringLiteral("import"),
                 {"-window", "root", m_shots + '/' + QString::number(m_language == kGerman ? 1 : 0) + '-' + name + ".png"});
    QVERIFY2(import.waitForFinished(kWaitMs) && import.exitCode() == 0, "no screenshot");
}

void tst_Walk::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty() || !m_x.start())
        QSKIP("needs Xvfb, xdotool and ImageMagick's import");
    QVERIFY(m_home.isValid());
    // For xdotool and import.
    qputenv("DISPLAY", m_x.display().c_str());
    m_shots = QStringLiteral(E2E_SHOT_DIR);
    QDir(m_shots).removeRecursively();
    QVERIFY(QDir().mkpath(m_shots));

    const QString hidsimDir = m_home.path() + QStringLiteral("/hidsim");
    qputenv("HIDSIM_DIR", QFile::encodeName(hidsimDir));
    QString error;
    QVERIFY2(HidSimControl::reset(kScenario, &error), qPrintable(error));
    std::memcpy(&m_expected, HidSimControl::configImage(kMouse).constData(), sizeof m_expected);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path() + QStringLiteral("/run"));
    env.insert(QStringLiteral("HIDSIM_DIR"), hidsimDir);
    env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(m_x.display()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(E2E_PLUGIN_DIR));
    const QString socket = m_home.path() + QStringLiteral("/probe");
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("desklinkwidgetprobe:") + socket);
    // The X keyboard library hands counted texts without an end to strndup(),
    // which the address checker's strict string checks stop in Qt's X11 start.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    asan.replace(QStringLiteral("strict_string_checks=1"), QStringLiteral("strict_string_checks=0"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
    QDir().mkpath(m_home.path() + QStringLiteral("/run"));
    QFile::setPermissions(m_home.path() + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(m_home.path());
    m_program.setProcessChannelMode(QProcess::MergedChannels);
    m_program.setStandardOutputFile(m_shots + QStringLiteral("/program.log"));
    m_program.start(QStringLiteral(E2E_PROGRAM), QStringList());
    QVERIFY2(m_program.waitForStarted(kWaitMs), "the program did not start");

    QVERIFY2(waitFor([&] {
                 if (!programRunning())
                     return true;
                 m_probe.connectToServer(socket);
                 return m_probe.waitForConnected(1000);
             }) && programRunning(),
             "the program never answered (see program.log)");
    // The device list shows the mouse.
    QVERIFY(!find(QStringLiteral("btn0")).isNull());
    shot(QStringLiteral("list"));
}

void tst_Walk::init()
{
    if (m_broken)
        QSKIP("an earlier step failed");
}

void tst_Walk::cleanup()
{
    if (QTest::currentTestFailed() && !m_broken) {
        m_broken = true;
        shot(QStringLiteral("failed-") + QLatin1String(QTest::currentTestFunction()));
    }
}

void tst_Walk::openMouse()
{
    click(QStringLiteral("btn0"));
    // The wait dialog comes and goes; then the home page's buttons can be used.
    QVERIFY(!find(QStringLiteral("SensorButton")).isNull());
    QVERIFY(waitFor([&] { return ask("windows").split(' ').count("UpDataParam") == 0; }));
    shot(QStringLiteral("home"));
}

void tst_Walk::sensorPage()
{
    click(QStringLiteral("SensorButton"));
    const int current = SensorRate::indexOfCode(image().reportRate);
    // The first other rate the page offers.
    int target = -1;
    for (int i = 0; i < SensorRate::kRateCount && target < 0; ++i) {
        if (i != current && ask("where " + QByteArray(SensorRate::rate(i).objectName)) != "none")
            target = i;
    }
    QVERIFY2(target >= 0, "no other report rate on the sensor page");
    click(QString::fromLatin1(SensorRate::rate(target).objectName));
    const quint8 code = ImageFieldCodes::rateCode(target);
    QVERIFY2(waitFor([&] { return image().reportRate == code; }), "the new rate never reached the mouse");
    m_expected.reportRate = code;
    shot(QStringLiteral("sensor"));
}

void tst_Walk::buttonPage()
{
    click(QStringLiteral("ButtonMain"));
    // The middle-button function for the first selector that has another one.
    int midRow = -1;
    for (int row = 0; row < ButtonFunctionTable::kSimpleCount; ++row) {
        if (QLatin1String(ButtonFunctionTable::simple(row).button) == QLatin1String("MidKey"))
            midRow = row;
    }
    QVERIFY(midRow >= 0);
    const ButtonFunctionTable::Simple& f = ButtonFunctionTable::simple(midRow);
    const FlashDataMap before = image();
    int position = -1;
    for (int p = 1; p < ButtonFunctionTable::kSelectorCount && position < 0; ++p) {
        const ButtonMapping& m = before.buttons[ButtonFunctionTable::selector(p).deviceIndex];
        if (m.type != f.type || m.code != f.code)
            position = p;
    }
    QVERIFY(position >= 0);
    const ButtonFunctionTable::Selector& selector = ButtonFunctionTable::selector(position);
    click(QString::fromLatin1(selector.name));
    click(QStringLiteral("MidKey"));
    const int index = selector.deviceIndex;
    QVERIFY2(waitFor([&] {
                 const ButtonMapping m = image().buttons[index];
                 return m.type == f.type && m.code == f.code && m.param == f.param;
             }),
             "the button's new function never reached the mouse");
    m_expected.buttons[index] = image().buttons[index];
    m_buttonChanged = index;
    shot(QStringLiteral("buttons"));
}

void tst_Walk::macroOnButton()
{
    // A new macro of one left click, made and saved on the macro page.
    click(QStringLiteral("MacroButton"));
    click(QStringLiteral("NewHong"));
    const QByteArray dialog = ask("window lineEdit@QuestionDialog");
    QVERIFY2(dialog != "none" && !dialog.isEmpty(), "no name dialog");
    QVERIFY(XServer::focusWindow(dialog.toULongLong()));
    click(QStringLiteral("lineEdit@QuestionDialog"));
    QVERIFY(xdotool({"type", "--delay", "20", "walk"}));
    QVERIFY2(waitFor([&] { return ask("text lineEdit@QuestionDialog") == "walk"; }),
             "the name was not typed: " + ask("text lineEdit@QuestionDialog"));
    click(QStringLiteral("NewHong@QuestionDialog"));
    QVERIFY(waitFor([&] { return !ask("windows").split(' ').contains("QuestionDialog"); }));
    clickRow(QStringLiteral("ChooseEvent"), 4);
    click(QStringLiteral("Save"));
    const QString file = m_home.path() + QStringLiteral("/AppData/Local/Orvex DeskLink/usersetting/MacroPage/walk.ini");
    QVERIFY2(waitFor([&] {
                 QFile f(file);
                 return f.open(QIODevice::ReadOnly) && f.readAll().count('\n') >= 3;
             }),
             "the macro was not saved");
    shot(QStringLiteral("macro"));

    // Bound to the first selector below the one the button step changed.
    click(QStringLiteral("ButtonMain"));
    int position = -1;
    for (int p = 1; p < ButtonFunctionTable::kSelectorCount && position < 0; ++p) {
        if (ButtonFunctionTable::selector(p).deviceIndex != m_buttonChanged)
            position = p;
    }
    const ButtonFunctionTable::Selector& selector = ButtonFunctionTable::selector(position);
    click(QString::fromLatin1(selector.name));
    click(QStringLiteral("DPI_10"));
    click(QStringLiteral("Macro_walk"));
    const int index = selector.deviceIndex;
    QVERIFY2(waitFor([&] {
                 const FlashDataMap now = image();
                 const MacroRecord& m = now.macros[index];
                 return now.buttons[index].type == ButtonMapping::kMacroType && m.nameLength == 4
                     && std::memcmp(m.name, "walk", 4) == 0 && m.eventCount == 2;
             }),
             "the macro never reached the mouse's button");
    const FlashDataMap now = image();
    m_expected.buttons[index] = now.buttons[index];
    m_expected.macros[index] = now.macros[index];
    m_expected.keyEvents[index] = now.keyEvents[index];
    shot(QStringLiteral("macro-bound"));
}

void tst_Walk::lightingPage()
{
    click(QStringLiteral("LightsButton"));
    const LedBarSettings before = image().ledBar;
    // Another light mode, one with a colour to show.
    const QByteArray current = ask("index LightMod");
    QVERIFY2(current != "none" && !current.isEmpty(), "the lighting page shows no light mode");
    clickRow(QStringLiteral("LightMod"), current.toInt() == 2 ? 1 : 2);
    QVERIFY2(waitFor([&] {
                 const LedBarSettings now = image().ledBar;
                 return std::memcmp(&now, &before, sizeof before) != 0;
             }),
             "the new light mode never reached the mouse");
    m_expected.ledBar = image().ledBar;
    shot(QStringLiteral("lighting"));
}

void tst_Walk::settingsPage()
{
    click(QStringLiteral("FormSetting"));
    const int before = image().idleLightOffTime;
    int entry = 0;
    while (StopCloseTime::codeForEntry(entry) == before)
        ++entry;
    clickRow(QStringLiteral("StopClose"), entry);
    const int code = StopCloseTime::codeForEntry(entry);
    QVERIFY2(waitFor([&] { return image().idleLightOffTime == code; }), "the idle time never reached the mouse");
    m_expected.idleLightOffTime = quint8(code);
    shot(QStringLiteral("settings"));
    m_idleEntry = entry;
}

void tst_Walk::language()
{
    const QByteArray englishTitle = ask("text label_2");
    clickRow(QStringLiteral("comboBox"), kGerman);
    QVERIFY2(waitFor([&] { return ask("text comboBox") == "Deutsch"; }), "the language never changed");
    QVERIFY(waitFor([&] { return ask("text label_2") != englishTitle; }));
    m_language = kGerman;
    shot(QStringLiteral("settings"));
    // Every page once more in German.
    for (const char* page : {"SensorButton", "ButtonMain", "MacroButton", "LightsButton"}) {
        click(QLatin1String(page));
        shot(QLatin1String(page));
    }
    // The lighting page shows the idle time the settings page gave the mouse.
    QCOMPARE(ask("index StopClose").toInt(), m_idleEntry);
}

void tst_Walk::backToList()
{
    click(QStringLiteral("UpArrow"));
    QVERIFY(!find(QStringLiteral("btn0")).isNull());
    shot(QStringLiteral("list"));
}

void tst_Walk::quit()
{
    click(QStringLiteral("CloseButton"));
    QVERIFY2(m_program.waitForFinished(kWaitMs), "the program did not end");
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    QVERIFY2(QDir(m_home.path() + QStringLiteral("/AppData/Local/Orvex DeskLink/Exception"))
                 .entryList({QStringLiteral("*.dmp")}, QDir::Files)
                 .isEmpty(),
             "the program left a crash dump");

    // Every change is in the flash, and nothing else changed.
    const FlashDataMap now = image();
    QVERIFY(std::memcmp(&now, &m_expected, sizeof now) == 0);
    // The language stays chosen for the next start.
    QSettings macroIni(m_home.path() + QStringLiteral("/AppData/Local/Orvex DeskLink/Macro.ini"), QSettings::IniFormat);
    QCOMPARE(macroIni.value(QStringLiteral("Language/Language")).toInt(), kGerman);
}

void tst_Walk::cleanupTestCase()
{
    if (programRunning()) {
        m_program.kill();
        m_program.waitForFinished(kWaitMs);
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    tst_Walk test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_walk.moc"
