#include "CallLog.h"

#include <thread>

CallLog::CallLog()
{
    m_clock.start();
}

void CallLog::record(const char* function, const QString& arguments)
{
    hidsim::CallRecord r;
    r.function = QString::fromLatin1(function);
    r.arguments = arguments;
    r.thread = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(m_mutex);
    r.elapsedUs = m_clock.nsecsElapsed() / 1000;
    if (m_entries.size() >= kLimit)
        m_entries.remove(0, kLimit / 2);
    m_entries.append(r);
}

QVector<hidsim::CallRecord> CallLog::entries() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

void CallLog::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}
