#include "platform/termination_signals.h"

#include <signal.h>

#include <atomic>

#include "platform/native/mode_guardian.h"

namespace tev::platform {
namespace {

static_assert(std::atomic<int>::is_always_lock_free, "atomics used in a signal handler");
std::atomic<int> firstSignal{0};
std::atomic<int> pending{0};

void onTerminationSignal(int signal) {
    int none = 0;
    if (!firstSignal.compare_exchange_strong(none, signal)) {
        // The second one: no waiting for the show any more.
        restoreGuardedMode();
        struct sigaction fallback = {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(signal, &fallback, nullptr);
        raise(signal);  // delivered when this handler returns
        return;
    }
    pending.store(1);
}

}  // namespace

void catchTerminationSignals() {
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // Asked before the handler goes in, so that no signal is ever caught
        // that the parent meant the program not to see.
        struct sigaction inherited = {};
        if (sigaction(signal, nullptr, &inherited) != 0) continue;
        const bool ignored =
            (inherited.sa_flags & SA_SIGINFO) == 0 && inherited.sa_handler == SIG_IGN;
        if (!ignored) sigaction(signal, &action, nullptr);
    }
}

int caughtTerminationSignal() {
    return firstSignal.load();
}

bool terminationPending() {
    return pending.load() != 0;
}

bool takeTermination() {
    return pending.exchange(0) != 0;
}

}  // namespace tev::platform
