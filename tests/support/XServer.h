#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <string>
#include <sys/types.h>

// A private X server (Xvfb) for the lifetime of the object, for tests that
// type with xdotool. start() is false when Xvfb or xdotool is missing or the
// server does not come up; such tests skip.
class XServer
{
public:
    // How long a test waits for the server, xdotool or the window system.
    static constexpr int kWaitMs = 20000;

    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer();

    // Call first in main(). Under AddressSanitizer with strict string checks
    // the X keyboard library's counted texts (handed to strndup() without a
    // terminating NUL) are reported; the test then runs itself again without
    // that one check. Returns only when nothing had to change.
    static void allowCountedStrings(char** argv);

    bool start();
    // start(), then points the application about to be built at the server,
    // or at the offscreen platform when it does not come up.
    bool startForQt();
    // Whether startForQt() brought a server up in this process: a test that
    // needs it skips otherwise.
    static bool upForQt() { return s_upForQt; }

    // main() of a test that needs the server: starts it, then runs `Test` in
    // the application built for it.
    template <class Test>
    static int exec(int argc, char** argv)
    {
        allowCountedStrings(argv);
        XServer server;
        server.startForQt();
        QApplication app(argc, argv);
        Test test;
        return QTest::qExec(&test, argc, argv);
    }
    const std::string& display() const { return m_display; }

    // Runs xdotool to its end; false when it fails.
    static bool xdotool(const QStringList& arguments, QString* output = nullptr);
    // Gives the window the keyboard focus (there is no window manager).
    static bool focusWindow(WId id);
    // Gives the keyboard focus to the root window, as when the person turns to
    // another program: no window of the program has it then.
    static bool focusElsewhere();

private:
    static bool s_upForQt;
    pid_t m_pid = -1;
    std::string m_display;
};
