#include "platform/native/signals.h"

#include <signal.h>

#include <atomic>
#include <cerrno>

#include "platform/native/mode_guardian.h"
#include "platform/termination_signals.h"

namespace tev::platform {
namespace {

static_assert(std::atomic<int>::is_always_lock_free, "atomics used in a signal handler");
std::atomic<int> firstSignal{0};
std::atomic<int> pending{0};

// Puts the desktop's mode back, then lets `signal` end the process by its
// default action, as it would have without a handler. Blocked while the
// handler that calls this runs, the signal is delivered as it returns.
void restoreModeAndEndBy(int signal) {
    const int savedErrno = errno;
    restoreGuardedMode();
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
    errno = savedErrno;
}

void onTerminationSignal(int signal) {
    int none = 0;
    if (!firstSignal.compare_exchange_strong(none, signal)) {
        // The second one: no waiting for the show any more.
        restoreModeAndEndBy(signal);
        return;
    }
    pending.store(1);
}

void onFatalSignal(int signal) {
    restoreModeAndEndBy(signal);
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

void catchFatalSignals() {
    static char alternateStack[64 * 1024];
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action = {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(signal, &action, nullptr);
}

}  // namespace tev::platform
