#pragma once
// Real time between frames, in seconds, from the best clock the machine
// has: the high-resolution counter reduced to a 32-bit sample of at most
// 2,000,000 ticks per second, else the millisecond clock. One instance lives
// for the whole run and is never reset, so the first delta of a new display
// cycle spans that cycle's set-up.

#include <cstdint>

#include "platform/clock.h"

namespace tev {

class FrameTimer {
  public:
    explicit FrameTimer(platform::Clock& clock);

    // Takes a new sample and recomputes now, previous and delta; returns
    // the number of updates so far.
    int32_t update();

    double now = 0.0;
    double previous = 0.0;
    double delta = 0.0;  // the per-frame step the animations read
    int32_t updateCount = 0;
    int64_t frequency = 0;
    double secondsPerTick = 0.0;
    int32_t shift = 0;
    bool highResolution = false;
    uint32_t lastSample = 0;
    int32_t stallCount = 0;

    bool operator==(const FrameTimer&) const = default;

  private:
    void advance(uint32_t sample, uint32_t ticks);
    platform::Clock* clock_;
};

// The program's one frame timer.
FrameTimer& frameTimer();

}  // namespace tev
