#include "GuiPulse.h"

GuiPulse::GuiPulse(QObject* parent)
    : QObject(parent)
{
    m_heart.setInterval(5);
    connect(&m_heart, &QTimer::timeout, this, [this] { m_longestGap = qMax(m_longestGap, m_sinceTick.restart()); });
}

void GuiPulse::start()
{
    m_longestGap = 0;
    m_watched = 0;
    m_sinceStart.start();
    m_sinceTick.start();
    m_heart.start();
}

void GuiPulse::stop()
{
    m_heart.stop();
    // A stall that lasts until the end counts too.
    m_longestGap = qMax(m_longestGap, m_sinceTick.elapsed());
    m_watched = m_sinceStart.elapsed();
}

bool GuiPulse::keptBeating(double share) const
{
    return m_longestGap < share * m_watched;
}

QString GuiPulse::describe() const
{
    return QStringLiteral("the GUI stood still for %1 ms of %2 ms").arg(m_longestGap).arg(m_watched);
}
