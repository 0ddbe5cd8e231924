#include "UnwritableFolder.h"

#include <linux/capability.h>
#include <sys/fsuid.h>
#include <sys/syscall.h>
#include <unistd.h>

UnwritableFolder::UnwritableFolder(const QString& folder)
    : m_folder(folder)
    , m_permissions(QFile::permissions(folder))
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                      | QFile::ReadOther | QFile::ExeOther);
    if (::geteuid() != 0)
        return;
    ::setfsuid(65534);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    ::syscall(SYS_capget, &header, data);
    data[CAP_DAC_READ_SEARCH / 32].effective |= 1u << (CAP_DAC_READ_SEARCH % 32);
    ::syscall(SYS_capset, &header, data);
}

UnwritableFolder::~UnwritableFolder()
{
    if (::geteuid() == 0)
        ::setfsuid(0);  // gives back the file capabilities too
    QFile::setPermissions(m_folder, m_permissions);
}
