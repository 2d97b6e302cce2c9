#include "platform/clock.h"

#include <chrono>

namespace tev::platform {
namespace {

using Steady = std::chrono::steady_clock;

class SystemClock final : public Clock {
  public:
    uint64_t tickCount() override {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start_).count());
    }
    uint64_t counter() override {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - start_).count());
    }
    uint64_t counterFrequency() override { return 1'000'000'000; }

  private:
    Steady::time_point start_ = Steady::now();
};

Clock* active = nullptr;

}  // namespace

Clock& systemClock() {
    static SystemClock instance;
    return instance;
}

Clock& clock() {
    return active ? *active : systemClock();
}

void setClock(Clock* replacement) {
    active = replacement;
}

}  // namespace tev::platform
