#include "UnreadableFile.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// Sets or clears this thread's effective file-permission overrides.
bool setOverrides(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        if (on)
            data[cap / 32].effective |= 1u << (cap % 32);
        else
            data[cap / 32].effective &= ~(1u << (cap % 32));
    }
    return ::syscall(SYS_capset, &header, data) == 0;
}
}  // namespace

UnreadableFile::UnreadableFile(const QString& path)
    : m_path(path)
    , m_permissions(QFile::permissions(path))
{
    QFile::setPermissions(path, QFile::WriteOwner);
    if (::geteuid() == 0)
        m_overridesDropped = setOverrides(false);
}

UnreadableFile::~UnreadableFile()
{
    if (m_overridesDropped)
        setOverrides(true);
    // Whatever stands at the path now, it is readable again.
    QFile::setPermissions(m_path, m_permissions);
}
