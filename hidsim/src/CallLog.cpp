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
    // A copy that shares no data with the log: with Qt's implicit sharing, the
    // caller's first change of its copy would race with the next call recorded
    // on another thread.
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<hidsim::CallRecord> copy;
    copy.reserve(m_entries.size());
    for (const hidsim::CallRecord& r : m_entries)
        copy.append({QString(r.function.constData(), r.function.size()),
                     QString(r.arguments.constData(), r.arguments.size()), r.thread, r.elapsedUs});
    return copy;
}

void CallLog::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}
