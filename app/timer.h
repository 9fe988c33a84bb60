// The process-wide clock: one operation taking a command, answering seconds.
#pragma once
#include <cstdint>

namespace TimerCommand {
enum : int32_t {
    Reset = 0,
    Start = 1,
    Stop = 2,
    Advance = 3,
    AbsoluteTime = 4,
    AppTime = 5,
    ElapsedTime = 6,
};
}

double AppTimer(int32_t command);

// The timer's state, process-global behind AppTimer; tests run their own instance.
struct TimerState {
    bool probed = false;
    bool usesCounter = false;
    int64_t ticksPerSecond = 0;
    bool stopped = true;
    // Counter branch: raw ticks.
    int64_t stopTicks = 0;
    int64_t lastElapsedTicks = 0;
    int64_t baseTicks = 0;
    // Millisecond branch: seconds.
    double stopTime = 0.0;
    double lastElapsedTime = 0.0;
    double baseTime = 0.0;
};
double RunTimerCommand(TimerState& state, int32_t command);
