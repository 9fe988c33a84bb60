#include "app/timer.h"

#include <windows.h>

namespace {

// Both branches run the same steps; only the unit of a moment differs.
template <class Moment, class ToSeconds>
double Command(TimerState& s, int32_t command, Moment now, Moment& stopTime, Moment& lastElapsed,
               Moment& base, Moment tenth, ToSeconds seconds) {
    using namespace TimerCommand;
    switch (command) {
    case ElapsedTime: {
        double result = seconds(now - lastElapsed);
        lastElapsed = now;
        return result;
    }
    case AppTime:
        return seconds(now - base);
    case Reset:
        base = now;
        lastElapsed = now;
        stopTime = 0;
        s.stopped = false;
        return 0.0;
    case Start:
        if (s.stopped) base += now - stopTime;
        stopTime = 0;
        lastElapsed = now;
        s.stopped = false;
        return 0.0;
    case Stop:
        if (!s.stopped) {
            stopTime = now;
            lastElapsed = now;
            s.stopped = true;
        }
        return 0.0;
    case Advance:
        stopTime += tenth;
        return 0.0;
    case AbsoluteTime:
        return seconds(now);
    default:
        return -1.0;
    }
}

} // namespace

double RunTimerCommand(TimerState& s, int32_t command) {
    using namespace TimerCommand;
    if (!s.probed) {
        s.probed = true;
        LARGE_INTEGER frequency{};
        // A zero frequency would divide by zero: treat it as no counter.
        s.usesCounter = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
        if (s.usesCounter) s.ticksPerSecond = frequency.QuadPart;
    }
    const bool frozenAllowed = command != Start && command != AbsoluteTime;
    if (s.usesCounter) {
        int64_t now;
        if (s.stopTicks != 0 && frozenAllowed) {
            now = s.stopTicks;
        } else {
            LARGE_INTEGER counter{};
            QueryPerformanceCounter(&counter);
            now = counter.QuadPart;
        }
        const double perSecond = static_cast<double>(s.ticksPerSecond);
        return Command<int64_t>(
            s, command, now, s.stopTicks, s.lastElapsedTicks, s.baseTicks, s.ticksPerSecond / 10,
            [perSecond](int64_t t) { return static_cast<double>(t) / perSecond; });
    }
    double now;
    if (s.stopTime != 0.0 && frozenAllowed)
        now = s.stopTime;
    else
        now = static_cast<double>(timeGetTime()) * 0.001;
    return Command<double>(s, command, now, s.stopTime, s.lastElapsedTime, s.baseTime,
                           static_cast<double>(0.1f), [](double t) { return t; });
}

double AppTimer(int32_t command) {
    static TimerState state;
    return RunTimerCommand(state, command);
}
