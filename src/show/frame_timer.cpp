#include "show/frame_timer.h"

namespace tev {

namespace {
constexpr uint64_t kMaxTicksPerSecond = 2'000'000;
constexpr uint32_t kWrapDistance = 1u << 28;
constexpr int32_t kStallLimit = 100'000;
}  // namespace

FrameTimer::FrameTimer(platform::Clock& clock) : clock_(&clock) {
    delta = 0.0;
    updateCount = 0;
    now = 0.0;
    const uint64_t counterFrequency = clock.counterFrequency();
    frequency = static_cast<int64_t>(counterFrequency);
    if (counterFrequency == 0) {
        highResolution = false;
        secondsPerTick = static_cast<double>(0.001f);  // the millisecond clock's unit, as a float
        return;
    }
    highResolution = true;
    shift = 0;
    uint64_t shifted = counterFrequency;
    while ((shifted >> 32) != 0 || (shifted & 0xffffffffu) > kMaxTicksPerSecond) {
        shifted >>= 1;
        ++shift;
    }
    secondsPerTick = 1.0 / static_cast<double>(shifted);
}

void FrameTimer::advance(uint32_t sample, uint32_t ticks) {
    lastSample = sample;
    delta = ticks * secondsPerTick;
    now = now + delta;
    if (now == previous) {
        // A step too small to change the sum: after long enough, jump a
        // second so that time cannot stand still for ever.
        if (++stallCount > kStallLimit) {
            now += 1.0;
            stallCount = 0;
        }
    } else {
        stallCount = 0;
    }
    previous = now;
}

int32_t FrameTimer::update() {
    if (highResolution) {
        const auto sample = static_cast<uint32_t>(clock_->counter() >> shift);
        if (updateCount == 0) {
            lastSample = sample;
        } else if (sample > lastSample) {
            advance(sample, sample - lastSample);
        } else if (lastSample - sample < kWrapDistance) {
            lastSample = sample;  // stood still or stepped back a little
        } else {
            advance(sample, sample - lastSample);  // wrapped: modulo 2^32
        }
    } else {
        const auto milliseconds = static_cast<uint32_t>(clock_->tickCount());
        if (updateCount == 0) {
            now = milliseconds * secondsPerTick;
            previous = now;
            delta = 0.0;
        } else {
            previous = now;
            now = milliseconds * secondsPerTick;
            delta = now - previous;
        }
    }
    return ++updateCount;
}

FrameTimer& frameTimer() {
    static FrameTimer timer(platform::systemClock());
    return timer;
}

}  // namespace tev
