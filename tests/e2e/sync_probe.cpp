// The show as tev-intro runs it, which also notes where its clock stands:
// tev-test-sync-probe LOG
// Each display cycle adds to LOG, in nanoseconds of the monotonic clock:
//   setup-end T   the moment set-up finished starting the music
//   origin T      the moment the show clock read 0
// and every frame adds "frame T SHOWTIME", T being when its last block had
// been drawn. Nothing else differs from tev-intro: the hooks only read.

#include <time.h>

#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "platform/data_dir.h"
#include "shell/app.h"
#include "show/show.h"

namespace {

std::FILE* logFile = nullptr;
bool originNoted = false;

int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// The system clock's counter is in nanoseconds since the program's tick
// count started, so it ties the tick count to the monotonic clock.
int64_t tickZero() {
    const int64_t now = monotonicNanoseconds();
    return now - static_cast<int64_t>(tev::platform::clock().counter());
}

void onSetupStep(const char* step) {
    if (step != nullptr) return;
    std::fprintf(logFile, "setup-end %lld\n", static_cast<long long>(monotonicNanoseconds()));
    originNoted = false;
}

void onBlock(int block) {
    if (block != 0) return;
    if (!originNoted) {
        const double origin = static_cast<double>(tev::showStartSeconds) * 1e9;
        std::fprintf(logFile, "origin %lld\n",
                     static_cast<long long>(tickZero() + static_cast<int64_t>(origin)));
        originNoted = true;
    }
    std::fprintf(logFile, "frame %lld %.4f\n", static_cast<long long>(monotonicNanoseconds()),
                 static_cast<double>(tev::kept.showClock));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tev-test-sync-probe LOG\n");
        return 2;
    }
    logFile = std::fopen(argv[1], "w");
    if (logFile == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 2;
    }
    std::setvbuf(logFile, nullptr, _IOLBF, 0);
    tev::platform::systemClock();
    tev::platform::enterDataDirectory();
    tev::setSetupStepHook(onSetupStep);
    tev::setBlockHook(onBlock);
    return tev::runProgram();
}
