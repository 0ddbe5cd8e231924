// Runs the program's own start-up and reports on stdout what it shows:
//   "running"               the top window is shown (this process is the instance)
//   "notice:<label>|<button>"  the already-running notice is shown; it is then
//                           closed through its confirm button
// DESKLINK_PROBE_ACTION says what to do once the top window is shown:
//   stay (default), quit, segv, segv-thread, abort, fpe, terminate, segv-no-folder;
// "segv-before-window" faults while the application object is still being built,
// before any window exists.
#include "app/AppStartup.h"
#include "core/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include <sys/mman.h>

namespace {

void say(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A real access fault on a page without access rights (a null pointer would
// be reported by the sanitizers before it faults). Kept out of line, so that a
// dump has a frame of this name to show.
__attribute__((noinline)) void segfault()
{
    void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
}

void act(const QByteArray& action)
{
    if (action == "quit") {
        QCoreApplication::quit();
    } else if (action == "segv") {
        segfault();
    } else if (action == "segv-thread") {
        std::thread worker(segfault);
        worker.join();
    } else if (action == "segv-no-folder") {
        QDir(AppPaths::dataSubdir("/Exception")).removeRecursively();
        segfault();
    } else if (action == "abort") {
        std::abort();
    } else if (action == "fpe") {
        std::raise(SIGFPE);
    } else if (action == "terminate") {
        // Leaves the event loop as an exception nobody catches.
        throw std::runtime_error("probe failure");
    }
}

void installProbe()
{
    if (qgetenv("DESKLINK_PROBE_ACTION") == "segv-before-window")
        segfault();
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        static bool reportedRunning = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            if (w->objectName() == QLatin1String("ExeIsRun")) {
                auto* label = w->findChild<QLabel*>("label");
                auto* button = w->findChild<QToolButton*>("NewHong");
                say(QString("notice:%1|%2").arg(label ? label->text() : QString(),
                                                button ? button->text() : QString()));
                if (button)
                    button->click();
                return;
            }
            if (w->objectName() == QLatin1String("DialogMain") && !reportedRunning) {
                reportedRunning = true;
                say("running");
                timer->stop();
                act(qgetenv("DESKLINK_PROBE_ACTION"));
                return;
            }
        }
    });
    timer->start(20);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)

int main(int argc, char* argv[])
{
    return AppStartup::run(argc, argv);
}
