// Signals as the show meets them: SIGINT, SIGTERM and SIGHUP become a
// request to close; fatal signals, with the mode guardian running, still
// end the process by the same signal (its status and core dump as before).
// Each case runs in a child process of its own: handlers are for life.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/display.h"
#include "platform/native/mode_guardian.h"
#include "platform/termination_signals.h"

namespace tev::platform {
namespace {

class Signals : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(Signals, TerminationSignalsAreNotedAndTakenOnce) {
    EXPECT_EXIT(
        {
            catchTerminationSignals();
            if (caughtTerminationSignal() != 0 || terminationPending()) std::_Exit(10);
            raise(SIGTERM);
            if (caughtTerminationSignal() != SIGTERM || !terminationPending()) std::_Exit(11);
            if (!takeTermination() || takeTermination() || terminationPending()) std::_Exit(12);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(Signals, EachOfTheThreeIsCaught) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                catchTerminationSignals();
                raise(signal);
                std::_Exit(caughtTerminationSignal() == signal ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << strsignal(signal);
    }
}

TEST_F(Signals, ASecondSignalEndsTheProcessByItsDefaultAction) {
    EXPECT_EXIT(
        {
            catchTerminationSignals();
            raise(SIGINT);
            raise(SIGTERM);  // the show did not end in between
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

// nohup, or a script's background job: what the parent ignored is not
// caught, not reset, and the others are still heard.
TEST_F(Signals, SignalsInheritedAsIgnoredStayIgnored) {
    for (int ignored : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                signal(ignored, SIG_IGN);
                catchTerminationSignals();
                struct sigaction now = {};
                sigaction(ignored, nullptr, &now);
                if (now.sa_handler != SIG_IGN) std::_Exit(10);
                raise(ignored);
                if (caughtTerminationSignal() != 0 || terminationPending()) std::_Exit(11);
                const int other = ignored == SIGHUP ? SIGTERM : SIGHUP;
                raise(other);
                std::_Exit(caughtTerminationSignal() == other ? 0 : 12);
            },
            ::testing::ExitedWithCode(0), "")
            << strsignal(ignored);
    }
}

// What the program does at its start before it catches the termination
// signals (the mode guardian in main, the window system in runProgram)
// leaves them at their default action: SDL is told to install no handlers
// of its own, and the guardian's are for fatal signals only.
TEST_F(Signals, UntilCaughtTheStartLeavesTheDefaultAction) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                unsetenv("DISPLAY");
                if (!startModeGuardian()) std::_Exit(20);
                setenv("SDL_VIDEODRIVER", "dummy", 1);
                if (!initWindowSystem()) std::_Exit(21);
                raise(signal);
                std::_Exit(0);
            },
            ::testing::KilledBySignal(signal), "")
            << strsignal(signal);
    }
}

// No X display here: the guardian notes nothing, but answers, and the
// handlers it brings still let each fatal signal end the process.
TEST_F(Signals, FatalSignalsStillEndTheProcessWithTheGuardian) {
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        EXPECT_EXIT(
            {
                rlimit noCore = {};
                setrlimit(RLIMIT_CORE, &noCore);
                unsetenv("DISPLAY");
                if (!startModeGuardian()) std::_Exit(20);
                guardModeChange();
                raise(signal);
                std::_Exit(0);
            },
            ::testing::KilledBySignal(signal), "")
            << strsignal(signal);
    }
}

TEST_F(Signals, AnExitWithTheGuardianKeepsItsStatus) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            if (!startModeGuardian()) std::_Exit(20);
            guardModeChange();
            std::exit(1);  // as "error on init!" does
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace tev::platform
