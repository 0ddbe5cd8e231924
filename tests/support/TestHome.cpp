#include "TestHome.h"

#include <QDir>

TestHome::TestHome()
    : m_oldHome(qgetenv("HOME"))
    , m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/.config").toLocal8Bit());
    QDir().mkpath(m_dir.path() + "/.config");
}

TestHome::~TestHome()
{
    qputenv("HOME", m_oldHome);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
}
