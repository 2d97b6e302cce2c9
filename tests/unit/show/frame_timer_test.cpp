#include "show/frame_timer.h"

#include <gtest/gtest.h>

namespace tev {
namespace {

using platform::ManualClock;

FrameTimer timerAt(ManualClock& clock, uint64_t frequency) {
    clock.frequency = frequency;
    return FrameTimer(clock);
}

TEST(FrameTimer, ShiftKeepsTheRateAtOrBelowTwoMillionTicks) {
    ManualClock clock;
    EXPECT_EQ(timerAt(clock, 2'000'000).shift, 0);
    EXPECT_EQ(timerAt(clock, 2'000'001).shift, 1);
    EXPECT_EQ(timerAt(clock, 1'193'182).shift, 0);
    EXPECT_EQ(timerAt(clock, 3'579'545).shift, 1);
    EXPECT_EQ(timerAt(clock, 10'000'000).shift, 3);
    const FrameTimer fast = timerAt(clock, 1'000'000'000);
    EXPECT_EQ(fast.frequency, 1'000'000'000);  // kept unshifted
    EXPECT_DOUBLE_EQ(fast.secondsPerTick, 1.0 / (1'000'000'000 >> fast.shift));
    EXPECT_EQ(timerAt(clock, uint64_t{1} << 40).shift, 20);  // high word set
}

TEST(FrameTimer, FirstUpdateLeavesDeltaZeroInBothModes) {
    ManualClock clock;
    clock.counterValue = 123456;
    FrameTimer high = timerAt(clock, 1'000'000);
    EXPECT_EQ(high.update(), 1);
    EXPECT_EQ(high.delta, 0.0);
    EXPECT_EQ(high.now, 0.0);
    EXPECT_EQ(high.lastSample, 123456u);

    clock.seconds = 5.0;
    FrameTimer millis = timerAt(clock, 0);
    EXPECT_FALSE(millis.highResolution);
    EXPECT_EQ(millis.secondsPerTick, static_cast<double>(0.001f));
    millis.update();
    EXPECT_EQ(millis.delta, 0.0);
    EXPECT_DOUBLE_EQ(millis.now, 5000 * static_cast<double>(0.001f));
}

TEST(FrameTimer, AdvancesByCounterTicks) {
    ManualClock clock;
    FrameTimer timer = timerAt(clock, 1'000'000);
    timer.update();
    clock.counterValue = 16'667;
    timer.update();
    EXPECT_DOUBLE_EQ(timer.delta, 0.016667);
    EXPECT_DOUBLE_EQ(timer.now, 0.016667);
    EXPECT_EQ(timer.previous, timer.now);
}

TEST(FrameTimer, SamplesInTheSameTickKeepNowAndDelta) {
    ManualClock clock;
    FrameTimer timer = timerAt(clock, 1'000'000);
    timer.update();
    clock.counterValue = 500;
    timer.update();
    const double now = timer.now, delta = timer.delta;
    timer.update();  // same sample
    EXPECT_EQ(timer.now, now);
    EXPECT_EQ(timer.delta, delta);
    clock.counterValue = 400;  // a small step back is ignored too
    timer.update();
    EXPECT_EQ(timer.now, now);
    EXPECT_EQ(timer.lastSample, 400u);
}

TEST(FrameTimer, WrappedSampleGivesASmallPositiveDelta) {
    ManualClock clock;
    FrameTimer timer = timerAt(clock, 1'000'000);
    clock.counterValue = 0xFFFFFF00u;
    timer.update();
    clock.counterValue = uint64_t{0x100000000} + 0x100;  // 512 ticks later, past 2^32
    timer.update();
    EXPECT_DOUBLE_EQ(timer.delta, 512e-6);
    EXPECT_EQ(timer.lastSample, 0x100u);
}

TEST(FrameTimer, ShiftedSamplesWrapAtThirtyTwoBits) {
    ManualClock clock;
    FrameTimer timer = timerAt(clock, 10'000'000);  // shift 3
    clock.counterValue = (uint64_t{0xFFFFFFFF} << 3);
    timer.update();
    clock.counterValue = (uint64_t{0x100000001} << 3);
    timer.update();
    EXPECT_DOUBLE_EQ(timer.delta, 2.0 / 1'250'000);
}

TEST(FrameTimer, StallRuleAddsASecondAfterManyUnchangedSums) {
    ManualClock clock;
    FrameTimer timer = timerAt(clock, 1'000'000);
    timer.update();
    timer.now = timer.previous = 1e12;  // so large that one tick changes nothing
    uint64_t counter = 0;
    for (int i = 0; i < 100'000; ++i) {
        clock.counterValue = ++counter;
        timer.update();
    }
    EXPECT_EQ(timer.stallCount, 100'000);
    EXPECT_EQ(timer.now, 1e12);
    clock.counterValue = ++counter;
    timer.update();
    EXPECT_EQ(timer.now, 1e12 + 1.0);
    EXPECT_EQ(timer.stallCount, 0);
}

TEST(FrameTimer, MillisecondModeFollowsTheTickCount) {
    ManualClock clock;
    FrameTimer timer = timerAt(clock, 0);
    clock.seconds = 1.0;
    timer.update();
    clock.seconds = 1.25;
    timer.update();
    EXPECT_NEAR(timer.delta, 0.25, 1e-6);
    EXPECT_EQ(timer.previous, 1000 * static_cast<double>(0.001f));
}

}  // namespace
}  // namespace tev
