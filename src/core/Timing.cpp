#include "core/Timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cmath>

namespace {
double scaleFromEnvironment()
{
    bool ok = false;
    const double v = qEnvironmentVariable("DESKLINK_TIME_SCALE").toDouble(&ok);
    return ok && v >= 0.0 ? v : 1.0;
}

std::atomic<double>& scaleValue()
{
    static std::atomic<double> value{scaleFromEnvironment()};
    return value;
}
}

double Timing::scale()
{
    return scaleValue().load();
}

void Timing::setScale(double factor)
{
    scaleValue().store(factor < 0.0 ? 0.0 : factor);
}

int Timing::scaled(int ms)
{
    if (ms <= 0)
        return 0;
    return static_cast<int>(std::lround(ms * scale()));
}

void Timing::sleep(int ms)
{
    const int d = scaled(ms);
    if (d > 0)
        QThread::msleep(static_cast<unsigned long>(d));
}

void Timing::pumpEvents(int ms)
{
    pumpUntilImpl(nullptr, nullptr, ms);
}

bool Timing::pumpUntilImpl(bool (*pred)(void*), void* ctx, int ms)
{
    const qint64 total = scaled(ms);
    QElapsedTimer clock;
    clock.start();
    // Events are pumped at least once, also when the time is up before the first
    // look (a zero wait, or a thread the machine held that long).
    bool pumped = false;
    for (;;) {
        if (pred && pred(ctx))
            return true;
        const qint64 left = total - clock.elapsed();
        if (left <= 0 && pumped)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(qBound<qint64>(0, left, 100)));
        pumped = true;
        // processEvents returns at once when nothing is queued; do not spin.
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(total - clock.elapsed(), 2) > 0 ? qMin<qint64>(total - clock.elapsed(), 2) : 0));
    }
    return pred ? pred(ctx) : true;
}
