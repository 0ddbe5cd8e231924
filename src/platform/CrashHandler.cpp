#include "platform/CrashHandler.h"

#include "core/AppPaths.h"
#include "platform/ProgramSymbols.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Everything below the handlers runs inside a signal handler: no allocation, no
// locks, no stdio, no Qt. Values are prepared by Install() in plain buffers.
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kMaxFrames = 64;
constexpr std::size_t kPathSize = 4096;

char s_folder[kPathSize];  // ".../Exception", no trailing slash
std::atomic<long> s_utcOffset{0};
char s_reason[512];         // set by the terminate handler before it aborts
std::atomic<pid_t> s_handlingThread{0};
alignas(16) char s_altStack[64 * 1024];

const char* signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    default: return "signal";
    }
}

// Small appending writer over a fixed buffer.
struct Line
{
    char buf[1024];
    std::size_t len = 0;

    Line& text(const char* s)
    {
        while (*s && len + 1 < sizeof buf)
            buf[len++] = *s++;
        return *this;
    }
    Line& number(long long v)
    {
        char tmp[24];
        int n = 0;
        unsigned long long u = v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        do {
            tmp[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u);
        if (v < 0)
            tmp[n++] = '-';
        while (n && len + 1 < sizeof buf)
            buf[len++] = tmp[--n];
        return *this;
    }
    Line& hex(unsigned long long v)
    {
        text("0x");
        char tmp[20];
        int n = 0;
        do {
            tmp[n++] = "0123456789abcdef"[v & 0xf];
            v >>= 4;
        } while (v);
        while (n && len + 1 < sizeof buf)
            buf[len++] = tmp[--n];
        return *this;
    }
    void flush(int fd)
    {
        writeAll(fd, buf, len);
        len = 0;
    }
    static void writeAll(int fd, const char* data, std::size_t size)
    {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t w = ::write(fd, data + done, size - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                break;
            done += static_cast<std::size_t>(w);
        }
    }
};

// One line per frame, in the system's format ("file(name+0xoffset)[0xaddress]").
// A frame inside the program is named from its own symbol table; any other
// goes to the system, which names what a shared library exports.
void writeFrames(int fd, void* const* frames, int count)
{
    Line line;
    for (int i = 0; i < count; ++i) {
        const auto pc = reinterpret_cast<std::uintptr_t>(frames[i]);
        // A return address may be the first byte after a call at a function's
        // end, so the call itself names the frame.
        std::uintptr_t start = 0;
        const char* name = pc ? ProgramSymbols::nameFor(pc - 1, &start) : nullptr;
        if (!name) {
            ::backtrace_symbols_fd(frames + i, 1, fd);
            continue;
        }
        line.text(ProgramSymbols::programName()).text("(").flush(fd);
        Line::writeAll(fd, name, std::strlen(name));
        line.text("+").hex(pc - start).text(")[").hex(pc).text("]\n").flush(fd);
    }
}

// mkdir -p on a prepared absolute path, one component at a time.
void makeFolders(const char* path)
{
    char part[kPathSize];
    std::size_t i = 0;
    for (; path[i] && i + 1 < sizeof part; ++i) {
        if (path[i] == '/' && i > 0) {
            part[i] = '\0';
            ::mkdir(part, 0755);
        }
        part[i] = path[i];
    }
    part[i] = '\0';
    ::mkdir(part, 0755);
}

void writeDump(int sig, const siginfo_t* info)
{
    if (!s_folder[0])
        return;
    const std::time_t now = ::time(nullptr);
    char stamp[CrashHandler::kTimeStampSize];
    CrashHandler::formatTimeStamp(now, s_utcOffset.load(), stamp);

    char path[kPathSize + 32];
    std::size_t n = 0;
    for (const char* s = s_folder; *s && n < kPathSize; ++s)
        path[n++] = *s;
    path[n++] = '/';
    for (const char* s = stamp; *s; ++s)
        path[n++] = *s;
    for (const char* s = ".dmp"; *s; ++s)
        path[n++] = *s;
    path[n] = '\0';

    makeFolders(s_folder);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;

    Line line;
    line.text("Orvex DeskLink crash dump\n").flush(fd);
    line.text("time: ").text(stamp).text("\n").flush(fd);
    line.text("signal: ").number(sig).text(" (").text(signalName(sig)).text(")\n").flush(fd);
    if (info) {
        line.text("code: ").number(info->si_code).text("\n").flush(fd);
        if (sig != SIGABRT)
            line.text("address: ").hex(reinterpret_cast<unsigned long long>(info->si_addr)).text("\n").flush(fd);
    }
    if (s_reason[0])
        line.text("reason: ").text(s_reason).text("\n").flush(fd);

    const pid_t pid = ::getpid();
    const pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
    char threadName[17] = {};
    ::prctl(PR_GET_NAME, threadName, 0, 0, 0);
    line.text("process: ").number(pid).text("\n").flush(fd);
    line.text("thread: ").number(tid).text(" \"").text(threadName).text("\"")
        .text(tid == pid ? " (main thread)\n" : "\n").flush(fd);

    line.text("backtrace:\n").flush(fd);
    void* frames[kMaxFrames];
    const int count = ::backtrace(frames, kMaxFrames);
    writeFrames(fd, frames, count);
    ::close(fd);
}

[[noreturn]] void dieOfSignal(int sig)
{
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

void onFatalSignal(int sig, siginfo_t* info, void*)
{
    const pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
    pid_t expected = 0;
    if (!s_handlingThread.compare_exchange_strong(expected, tid)) {
        if (expected == tid)
            dieOfSignal(sig); // fault inside the handler itself
        // Another thread is writing the dump and will end the process.
        for (;;)
            ::pause();
    }
    writeDump(sig, info);
    dieOfSignal(sig);
}

void onTerminate()
{
    // Not a signal context yet: name the cause, then let SIGABRT write the dump.
    if (std::exception_ptr ep = std::current_exception()) {
        try {
            std::rethrow_exception(ep);
        } catch (const std::exception& e) {
            std::snprintf(s_reason, sizeof s_reason, "std::terminate: uncaught exception: %s", e.what());
        } catch (...) {
            std::snprintf(s_reason, sizeof s_reason, "std::terminate: uncaught exception of unknown type");
        }
    } else {
        std::snprintf(s_reason, sizeof s_reason, "std::terminate called without an active exception");
    }
    std::abort();
}

} // namespace

void CrashHandler::formatTimeStamp(std::time_t utcSeconds, long offsetSeconds, char* out)
{
    const long long t = static_cast<long long>(utcSeconds) + offsetSeconds;
    long long days = t / 86400;
    long long secs = t % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    const long long fields[6] = {year, month, day, secs / 3600, secs / 60 % 60, secs % 60};
    int pos = 0;
    for (int f = 0; f < 6; ++f) {
        const int width = f == 0 ? 4 : 2;
        long long v = fields[f] < 0 ? 0 : fields[f];
        for (int d = width - 1; d >= 0; --d) {
            out[pos + d] = static_cast<char>('0' + v % 10);
            v /= 10;
        }
        pos += width;
        if (f < 5)
            out[pos++] = '_';
    }
    out[pos] = '\0';
}

void CrashHandler::Install()
{
    const QByteArray folder = QFile::encodeName(AppPaths::dataSubdir("/Exception"));
    if (static_cast<std::size_t>(folder.size()) < kPathSize) {
        std::memcpy(s_folder, folder.constData(), static_cast<std::size_t>(folder.size()));
        s_folder[folder.size()] = '\0';
    } else {
        s_folder[0] = '\0';
    }

    // localtime_r is not safe in a handler: take the zone offset now. A change of
    // daylight-saving time after this call shifts the dump name by that hour.
    const std::time_t now = ::time(nullptr);
    struct tm local;
    if (::localtime_r(&now, &local))
        s_utcOffset = local.tm_gmtoff;

    ProgramSymbols::Load();

    // The first backtrace() call loads the unwinder (and allocates); do it here.
    void* warmUp[2];
    ::backtrace(warmUp, 2);

    // An alternate stack lets the handler run after a stack overflow.
    stack_t current;
    if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        stack_t alt;
        alt.ss_sp = s_altStack;
        alt.ss_size = sizeof s_altStack;
        alt.ss_flags = 0;
        ::sigaltstack(&alt, nullptr);
    }

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : kFatalSignals)
        ::sigaction(sig, &action, nullptr);

    std::set_terminate(onTerminate);
}
