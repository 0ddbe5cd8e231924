#pragma once

#include "HidSimControl.h"

#include <QElapsedTimer>
#include <QVector>

#include <mutex>

// Every entry point records its call here, for tests that check what the
// program asked of the devices and from which thread.
class CallLog
{
public:
    CallLog();
    void record(const char* function, const QString& arguments);
    QVector<hidsim::CallRecord> entries() const;
    void clear();

private:
    static constexpr int kLimit = 20000;
    mutable std::mutex m_mutex;
    QVector<hidsim::CallRecord> m_entries;
    QElapsedTimer m_clock;
};
