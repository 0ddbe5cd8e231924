#include "FullDisk.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

FullDisk::Outcome FullDisk::run(qint64 bytes, const std::function<bool()>& write)
{
    std::fflush(nullptr);  // nothing buffered twice
    const pid_t child = ::fork();
    if (child < 0)
        return Outcome::Failed;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        limit.rlim_cur = rlim_t(bytes);
        limit.rlim_max = rlim_t(bytes);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(3);
        // _exit: the parent's objects are the parent's to end.
        ::_exit(write() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return Outcome::Failed;
    }
    if (!WIFEXITED(status))
        return Outcome::Failed;
    switch (WEXITSTATUS(status)) {
    case 0:
        return Outcome::Written;
    case 1:
        return Outcome::Refused;
    default:
        return Outcome::Failed;
    }
}
