#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the measured programs report to the benchmark runner: one line per
// figure on stdout, times on the system-wide monotonic clock so that the
// runner can subtract the moment it started the process.
class ProbeOutput
{
public:
    // CLOCK_MONOTONIC in nanoseconds (the same clock in every process).
    static qint64 nowNs();
    // Peak resident memory of this process so far (VmHWM), in KiB; -1 if unknown.
    static qint64 peakResidentKb();
    // Writes one line and flushes it at once.
    static void say(const QByteArray& line);
};
