// Key capture under a real X server: a private Xvfb started by this test and
// keys typed with xdotool. Skips when either program is missing.

#include "XServer.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "platform/KeyHook.h"
#include "ui/macro/GroupKey.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int kWaitMs = XServer::kWaitMs;
const char kForeignTitle[] = "desklink-foreign-window";

struct Report
{
    int virtualKey;
    bool down;
};

QString describe(const QVector<Report>& reports)
{
    QStringList parts;
    for (const Report& r : reports)
        parts << QStringLiteral("%1%2").arg(r.virtualKey, 0, 16).arg(r.down ? "v" : "^");
    return parts.join(' ');
}

} // namespace

class tst_KeyCaptureX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keysReachTheCaptureAndTheWidget();
    void nothingWhileAnotherProgramIsActive();
    void combinationDialogTakesTypedKeys();

private:
    void showAndFocus(QWidget* window);

    QObject m_owner;
    QVector<Report> m_seen;
    KeyHook m_hook{KeyHookModule::AddKey};
};

void tst_KeyCaptureX11::initTestCase()
{
    if (!XServer::upForQt())
        QSKIP("needs Xvfb and xdotool");
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
}

void tst_KeyCaptureX11::init()
{
    m_seen.clear();
}

void tst_KeyCaptureX11::cleanup()
{
    m_hook.Uninstall();
}

void tst_KeyCaptureX11::showAndFocus(QWidget* window)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(XServer::focusWindow(window->winId()));
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWaitMs);
}

void tst_KeyCaptureX11::keysReachTheCaptureAndTheWidget()
{
    QWidget window;
    auto* first = new QLineEdit(&window);
    auto* second = new QLineEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    showAndFocus(&window);
    first->setFocus();

    m_hook.Install();
    m_hook.SetCallback(&m_owner, [this](int vk, bool down, bool) { m_seen.append({vk, down}); });

    QVERIFY(XServer::xdotool({"key", "a"}));
    QTRY_COMPARE_WITH_TIMEOUT(describe(m_seen), QString("41v 41^"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(first->text(), QString("a"), kWaitMs);

    // Another widget of the same window; left and right Ctrl told apart
    // (xdotool holds the left one around the right one).
    second->setFocus();
    m_seen.clear();
    QVERIFY(XServer::xdotool({"keydown", "Shift_L", "key", "b", "keyup", "Shift_L", "keydown", "Control_R", "keyup", "Control_R", "key", "KP_Add", "F5"}));
    QTRY_COMPARE_WITH_TIMEOUT(describe(m_seen), QString("a0v 42v 42^ a0^ a2v a3v a2^ a3^ 6bv 6b^ 74v 74^"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second->text(), QString("B+"), kWaitMs);
}

void tst_KeyCaptureX11::nothingWhileAnotherProgramIsActive()
{
    QWidget window;
    auto* field = new QLineEdit(&window);
    showAndFocus(&window);
    field->setFocus();

    // Another program with a window of its own.
    QProcess foreign;
    foreign.start(QCoreApplication::applicationFilePath(), {"--foreign"});
    QVERIFY(foreign.waitForStarted(kWaitMs));
    QString id;
    QVERIFY(XServer::xdotool({"search", "--sync", "--onlyvisible", "--name", kForeignTitle}, &id));
    id = id.section('\n', 0, 0);

    m_hook.Install();
    m_hook.SetCallback(&m_owner, [this](int vk, bool down, bool) { m_seen.append({vk, down}); });

    QVERIFY(XServer::xdotool({"windowfocus", "--sync", id, "key", "c", "d"}));
    QTRY_VERIFY_WITH_TIMEOUT(!window.isActiveWindow(), kWaitMs);
    // Back to the program: the next key is the first the capture sees.
    QVERIFY(XServer::focusWindow(window.winId()));
    QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), kWaitMs);
    QVERIFY(XServer::xdotool({"key", "z"}));
    QTRY_COMPARE_WITH_TIMEOUT(describe(m_seen), QString("5av 5a^"), kWaitMs);
    QCOMPARE(field->text(), QString("z"));

    foreign.kill();
    foreign.waitForFinished(kWaitMs);
}

void tst_KeyCaptureX11::combinationDialogTakesTypedKeys()
{
    GroupKey dialog;
    showAndFocus(&dialog);
    QVERIFY(XServer::xdotool({"key", "ctrl+a", "b", "Escape"}));
    auto* field = dialog.findChild<QLineEdit*>("lineEdit");
    QVERIFY(field);
    // Ctrl is left to the check boxes; Escape is a key here and leaves the dialog open.
    QTRY_COMPARE_WITH_TIMEOUT(field->text(), QString("A+B+Esc"), kWaitMs);
    QVERIFY(dialog.isVisible());
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--foreign") == 0) {
        QApplication app(argc, argv);
        QLineEdit window;
        window.setWindowTitle(QString::fromLatin1(kForeignTitle));
        window.show();
        return app.exec();
    }

    return XServer::exec<tst_KeyCaptureX11>(argc, argv);
}

#include "tst_keycapturex11.moc"
