#pragma once
// Monotonic clocks behind one seam, so that tests and the capture tool can
// drive time exactly. The program reads time only through clock().

#include <cstdint>

namespace tev::platform {

class Clock {
  public:
    virtual ~Clock() = default;

    // Milliseconds since program start. 64 bits, so it never wraps.
    virtual uint64_t tickCount() = 0;

    // The tick count in seconds (tickCount() * 0.001). A virtual clock may
    // return times between whole milliseconds.
    virtual double tickSeconds() { return static_cast<double>(tickCount()) * 0.001; }

    // High-resolution counter and its ticks per second; a frequency of 0
    // means the machine has no such counter.
    virtual uint64_t counter() = 0;
    virtual uint64_t counterFrequency() = 0;
};

// The machine's monotonic clock.
Clock& systemClock();

// The clock the program reads; the system clock unless replaced.
Clock& clock();

// Replaces the program's clock; nullptr restores the system clock.
void setClock(Clock* replacement);

// A clock that moves only when told to, for tests and offline rendering.
class ManualClock final : public Clock {
  public:
    uint64_t tickCount() override { return static_cast<uint64_t>(seconds * 1000.0); }
    double tickSeconds() override { return seconds; }
    uint64_t counter() override { return counterValue; }
    uint64_t counterFrequency() override { return frequency; }

    double seconds = 0.0;
    uint64_t counterValue = 0;
    uint64_t frequency = 1000;
};

}  // namespace tev::platform
