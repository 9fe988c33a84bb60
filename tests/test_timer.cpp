#include "app/timer.h"

#include <gtest/gtest.h>
#include <win32_testing.h>

namespace {

// A clock the test moves by hand.
bool counterPresent = true;
int64_t ticks = 0;
DWORD millis = 0;
int frequencyCalls = 0;
int counterReads = 0;

BOOL FakeFrequency(LARGE_INTEGER* f) {
    ++frequencyCalls;
    f->QuadPart = 1000;
    return counterPresent ? TRUE : FALSE;
}
BOOL FakeCounter(LARGE_INTEGER* c) {
    ++counterReads;
    c->QuadPart = ticks;
    return TRUE;
}
DWORD FakeMillis() {
    return millis;
}

class Timer : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        counterPresent = GetParam();
        ticks = 5000; // 5 s on either clock
        millis = 5000;
        frequencyCalls = counterReads = 0;
        Win32SetClockHooks({FakeFrequency, FakeCounter, FakeMillis});
    }
    void TearDown() override { Win32SetClockHooks({}); }
    void Wait(double seconds) {
        ticks += static_cast<int64_t>(seconds * 1000);
        millis += static_cast<DWORD>(seconds * 1000);
    }
    double Run(int command) { return RunTimerCommand(state, command); }
    TimerState state;
};

} // namespace

using namespace TimerCommand;

TEST_P(Timer, FirstCallOfAnyCommandProbesOnce) {
    EXPECT_EQ(Run(7), -1.0);
    EXPECT_TRUE(state.probed);
    EXPECT_EQ(state.usesCounter, GetParam());
    Run(AppTime);
    Run(-1);
    EXPECT_EQ(frequencyCalls, 1);
}

TEST_P(Timer, AppTimeBeforeStartIsTheRawClock) {
    EXPECT_DOUBLE_EQ(Run(AppTime), 5.0);
}

TEST_P(Timer, StartThenElapsedMeasuresFromTheStart) {
    Run(Start);
    Wait(0.25);
    EXPECT_DOUBLE_EQ(Run(ElapsedTime), 0.25);
    EXPECT_DOUBLE_EQ(Run(ElapsedTime), 0.0);
    Wait(0.5);
    EXPECT_DOUBLE_EQ(Run(AppTime), 0.75);
    EXPECT_DOUBLE_EQ(Run(AbsoluteTime), 5.75);
}

TEST_P(Timer, StopFreezesAndStartExcludesTheStoppedTime) {
    Run(Start);
    Wait(1.0);
    EXPECT_EQ(Run(Stop), 0.0);
    double frozen = Run(AppTime);
    Wait(3.0);
    EXPECT_EQ(Run(Stop), 0.0); // a second stop changes nothing
    EXPECT_DOUBLE_EQ(Run(AppTime), frozen);
    EXPECT_DOUBLE_EQ(Run(ElapsedTime), 0.0);
    EXPECT_DOUBLE_EQ(Run(AbsoluteTime), 9.0); // always a fresh reading
    Run(Start);
    Wait(0.5);
    EXPECT_DOUBLE_EQ(Run(AppTime), 1.5); // the 3 s stopped do not count
}

TEST_P(Timer, AdvanceWhileStoppedAddsOneTenth) {
    Run(Start);
    Wait(1.0);
    Run(Stop);
    double before = Run(AppTime);
    Run(Advance);
    double step = GetParam() ? 0.1 : static_cast<double>(0.1f);
    EXPECT_NEAR(Run(AppTime) - before, step, 1e-12);
}

TEST_P(Timer, ResetSetsTheBaseToNow) {
    Wait(2.0);
    Run(Reset);
    Wait(0.5);
    EXPECT_DOUBLE_EQ(Run(AppTime), 0.5);
}

TEST_P(Timer, InvalidCommandsChangeNothing) {
    Run(Start);
    TimerState before = state;
    EXPECT_EQ(Run(7), -1.0);
    EXPECT_EQ(Run(-1), -1.0);
    EXPECT_EQ(state.baseTicks, before.baseTicks);
    EXPECT_EQ(state.baseTime, before.baseTime);
    EXPECT_EQ(state.stopped, before.stopped);
}

INSTANTIATE_TEST_SUITE_P(BothBranches, Timer, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Counter" : "Milliseconds"; });

TEST(TimerMilliseconds, WrapFallsBackNearZero) {
    counterPresent = false;
    millis = 0xFFFFFF00u;
    Win32SetClockHooks({FakeFrequency, FakeCounter, FakeMillis});
    TimerState state;
    EXPECT_NEAR(RunTimerCommand(state, AbsoluteTime), 4294967.04, 1e-6);
    millis = 0x100;
    EXPECT_NEAR(RunTimerCommand(state, AbsoluteTime), 0.256, 1e-9);
    Win32SetClockHooks({});
}

TEST(TimerCounter, OneClockReadingPerCall) {
    counterPresent = true;
    counterReads = 0;
    Win32SetClockHooks({FakeFrequency, FakeCounter, FakeMillis});
    TimerState state;
    for (int c : {Start, ElapsedTime, AppTime, AbsoluteTime})
        RunTimerCommand(state, c);
    EXPECT_EQ(counterReads, 4);
    Win32SetClockHooks({});
}
