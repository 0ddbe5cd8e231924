#include "XServer.h"

#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

bool XServer::s_upForQt = false;

void XServer::allowCountedStrings(char** argv)
{
    QByteArray options = qgetenv("ASAN_OPTIONS");
    if (!options.contains("strict_string_checks=1"))
        return;
    options.replace("strict_string_checks=1", "strict_string_checks=0");
    qputenv("ASAN_OPTIONS", options);
    execv("/proc/self/exe", argv);
}

bool XServer::start()
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
        return false;
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    m_pid = fork();
    if (m_pid == 0) {
        // The server ends with the test however the test ends, and keeps
        // none of the test's output open.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        return false;
    }
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, kWaitMs) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        return false;
    m_display = ":" + number;
    return true;
}

bool XServer::startForQt()
{
    const bool started = start();
    s_upForQt = started;
    if (started) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", m_display.c_str());
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return started;
}

XServer::~XServer()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

bool XServer::xdotool(const QStringList& arguments, QString* output)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    if (!p.waitForFinished(kWaitMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    return true;
}

bool XServer::focusWindow(WId id)
{
    return xdotool({"windowfocus", "--sync", QString::number(id)});
}

bool XServer::focusElsewhere()
{
    QString root;
    if (!xdotool({"search", "--maxdepth", "0", ""}, &root) || root.isEmpty())
        return false;
    return xdotool({"windowfocus", "--sync", root.section(QLatin1Char('\n'), 0, 0)});
}
