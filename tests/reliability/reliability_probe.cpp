// Runs the program's own start-up and then does what a user would on the first
// screen, reporting each step on stdout, so that a test can start the program
// on broken or missing files and see how far it gets:
//   "running"          the top window is shown
//   "devices:<n>"      the device list shows n devices (after its first scan)
//   "opened"           the first device's home page is shown, its wait dialog gone
//   "page:<button>"    a page button of the home page was clicked
//   "back"             the back arrow brought the device list again
//   "dialog:<class>"   another dialog came up; it is closed
//   "timeout:<step>"   a step did not finish in time (the probe then quits)
// The process then leaves its event loop as the window's own close would.
#include "app/AppStartup.h"
#include "app/Globals.h"
#include "ui/home/DialogChange.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <cstdio>

namespace {

void say(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QWidget* visibleTopLevel(const char* className)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->inherits(className))
            return w;
    return nullptr;
}

// Any dialog but the top window and the wait dialog is not part of the walk.
void closeOtherDialogs()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog->isVisible() && !w->inherits("DialogMain") && !w->inherits("UpDataParam")) {
            say(QStringLiteral("dialog:") + QString::fromLatin1(w->metaObject()->className()));
            dialog->reject();
        }
    }
}

QList<QToolButton*> deviceButtons()
{
    if (!g_DialogChange)
        return {};
    return g_DialogChange->findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^btn\\d+$")));
}

bool homePageShown(QWidget* main)
{
    auto* pages = main->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetMain"));
    return pages && pages->currentWidget() && pages->currentWidget()->inherits("Dialog");
}

class Walk : public QObject
{
public:
    Walk()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
        m_timer.start();
        m_clock.start();
    }

private:
    enum Stage { WaitWindow, WaitDevices, WaitHome, VisitPages, WaitList, Done };

    void next(Stage stage)
    {
        m_stage = stage;
        m_clock.restart();
    }

    void finish()
    {
        m_stage = Done;
        m_timer.stop();
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

    bool late(const char* what, int ms)
    {
        if (m_clock.elapsed() < ms)
            return false;
        say(QStringLiteral("timeout:") + QLatin1String(what));
        finish();
        return true;
    }

    void step()
    {
        closeOtherDialogs();
        QWidget* main = visibleTopLevel("DialogMain");
        switch (m_stage) {
        case WaitWindow:
            if (main) {
                say(QStringLiteral("running"));
                next(WaitDevices);
            } else {
                late("window", 30000);
            }
            break;
        case WaitDevices: {
            const int n = deviceButtons().size();
            // The list is built on the first device-change call; give it a moment.
            if (n > 0 || m_clock.elapsed() > 1200) {
                say(QStringLiteral("devices:%1").arg(n));
                if (n == 0) {
                    finish();
                    return;
                }
                next(WaitHome);
                // The click runs the wait dialog in an event loop of its own.
                QTimer::singleShot(0, deviceButtons().first(), &QToolButton::click);
            }
            break;
        }
        case WaitHome:
            if (main && homePageShown(main) && !visibleTopLevel("UpDataParam")) {
                say(QStringLiteral("opened"));
                next(VisitPages);
            } else {
                late("open", 20000);
            }
            break;
        case VisitPages: {
            static const char* const kButtons[] = {"SensorButton", "LightsButton", "MacroButton", "FormSetting",
                                                   "ButtonMain"};
            if (m_page < 5) {
                const QString name = QLatin1String(kButtons[m_page++]);
                if (auto* b = main ? main->findChild<QToolButton*>(name) : nullptr) {
                    b->click();
                    say(QStringLiteral("page:") + name);
                }
            } else if (auto* back = main ? main->findChild<QToolButton*>(QStringLiteral("UpArrow")) : nullptr) {
                next(WaitList);
                QTimer::singleShot(0, back, &QToolButton::click);
            } else {
                finish();
            }
            break;
        }
        case WaitList:
            if (main && !homePageShown(main)) {
                say(QStringLiteral("back"));
                finish();
            } else {
                late("back", 10000);
            }
            break;
        case Done:
            break;
        }
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    Stage m_stage = WaitWindow;
    int m_page = 0;
};

void installWalk()
{
    new Walk;  // lives until the process ends
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installWalk)

int main(int argc, char* argv[])
{
    const int code = AppStartup::run(argc, argv);
    say(QStringLiteral("exit:%1").arg(code));
    return code;
}
