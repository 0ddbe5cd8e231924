#pragma once

#include <QtGlobal>

// The one seam for fixed waits: sleeps, event-pump waits and dialog timers take
// their durations from here so tests can scale them down. Waits measure with a
// monotonic clock, never the time of day.
class Timing
{
public:
    // Duration to use for a fixed wait of `ms` milliseconds (scaled, at least 0).
    static int scaled(int ms);

    // Plain sleep of the calling thread.
    static void sleep(int ms);

    // Pump the event loop in slices of at most 100 ms until `ms` have passed
    // (at least once, whatever the time).
    static void pumpEvents(int ms);

    // Pump the event loop until `done()` is true or `ms` have passed; returns done().
    template <typename Pred>
    static bool pumpUntil(Pred done, int ms)
    {
        return pumpUntilImpl(&callPred<Pred>, &done, ms);
    }

    // Factor applied to every wait; 1 by default, DESKLINK_TIME_SCALE in the environment.
    static double scale();
    static void setScale(double factor);

private:
    template <typename Pred>
    static bool callPred(void* p) { return (*static_cast<Pred*>(p))(); }
    static bool pumpUntilImpl(bool (*pred)(void*), void* ctx, int ms);
};
