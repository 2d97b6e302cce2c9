// What the mode guardian answers when the show may not change the display's
// mode: no display to note, or no answer in time. The show then scales.
// Each case runs in a child process of its own: the guardian is for life.
// (The X cases, two shows and late notes among them, are end-to-end tests.)

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "platform/native/mode_guardian.h"

namespace tev::platform {
namespace {

class ModeGuardian : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// The guardian is this process's only child.
pid_t guardianPid() {
    std::ifstream children("/proc/self/task/" + std::to_string(getpid()) + "/children");
    pid_t pid = 0;
    children >> pid;
    return pid;
}

TEST_F(ModeGuardian, NoDisplayToNoteIsNoLeaveToChangeTheMode) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            if (!startModeGuardian()) std::_Exit(20);
            const GuardAnswer first = guardModeChange();
            modeRestored();
            const GuardAnswer second = guardModeChange();  // each note answered on its own
            std::_Exit(first == GuardAnswer::Unable && second == GuardAnswer::Unable ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A stopped guardian: the note is given up on within its bound, and once
// the guardian goes on, the late answers are not taken for later ones.
TEST_F(ModeGuardian, ANoteNotAnsweredInTimeIsGivenUpOn) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            if (!startModeGuardian()) std::_Exit(20);
            const pid_t guardian = guardianPid();
            if (guardian <= 0 || kill(guardian, SIGSTOP) != 0) std::_Exit(21);
            const auto start = std::chrono::steady_clock::now();
            const GuardAnswer late = guardModeChange();
            const auto waited = std::chrono::steady_clock::now() - start;
            kill(guardian, SIGCONT);
            if (late != GuardAnswer::Unanswered) std::_Exit(22);
            if (waited > std::chrono::seconds(10)) std::_Exit(23);  // bounded, not timed
            std::_Exit(guardModeChange() == GuardAnswer::Unable ? 0 : 24);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tev::platform
