#pragma once

#include <cstddef>
#include <ctime>

// Writes a text dump (signal, thread, backtrace) to the data folder's
// "Exception/yyyy_MM_dd_hh_mm_ss.dmp" when a fatal signal (SIGSEGV, SIGABRT,
// SIGBUS, SIGFPE, SIGILL) or std::terminate ends the program, then lets the
// process die of that signal so its exit status still shows the crash.
class CrashHandler
{
public:
    // Installs the signal handlers and the terminate handler. Everything the
    // handler needs (folder, file-name clock offset) is computed here, because
    // inside a signal handler only async-signal-safe calls are allowed. Calling
    // it again refreshes those values and re-installs the handlers.
    static void Install();

    // Writes "yyyy_MM_dd_hh_mm_ss" for `utcSeconds` shifted by `offsetSeconds`
    // into `out` (at least 20 bytes, NUL-terminated). Plain arithmetic, so it is
    // safe inside a signal handler.
    static void formatTimeStamp(std::time_t utcSeconds, long offsetSeconds, char* out);
    static constexpr std::size_t kTimeStampSize = 20;
};
