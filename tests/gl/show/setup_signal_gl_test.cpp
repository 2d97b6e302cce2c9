// Set-up and a termination signal: a signal caught while set-up runs stops
// it before its next step, and the shell then ends the cycle as when the
// window is closed. Each case runs in a child process: handlers are for life.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "gl_test.h"
#include "platform/termination_signals.h"
#include "show/show.h"

namespace tev {
namespace {

class SetupSignal : public test::GlTest {
  protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        test::GlTest::SetUp();
    }
};

std::string stepsSeen;
const char* signalAtStep = nullptr;

void noteStep(const char* step) {
    stepsSeen += step != nullptr ? step : "(end)";
    stepsSeen += ';';
    if (step != nullptr && signalAtStep != nullptr && std::strcmp(step, signalAtStep) == 0) {
        raise(SIGTERM);
    }
}

// Runs set-up with the handlers in place, raising SIGTERM as STEP starts
// (never when null); the child's status says what set-up did.
int runSetup(const char* step) {
    platform::catchTerminationSignals();
    showMusicEnabled = false;
    signalAtStep = step;
    setSetupStepHook(noteStep);
    const bool done = showSetup({});
    setSetupStepHook(nullptr);
    if (step == nullptr) return done && stepsSeen.ends_with("scene state;music;(end);") ? 0 : 1;
    if (done) return 2;
    // The step the signal came at did not run, nor any after it.
    if (!stepsSeen.ends_with(std::string("disc texture;") + step + ";")) return 3;
    if (pictures[0].pixels != nullptr || spriteRing != nullptr) return 4;
    showTeardown();  // what the shell does next, on a half-made cycle
    return 0;
}

TEST_F(SetupSignal, WithoutASignalEveryStepRuns) {
    EXPECT_EXIT(std::_Exit(runSetup(nullptr)), ::testing::ExitedWithCode(0), "");
}

TEST_F(SetupSignal, ASignalStopsSetUpBeforeItsNextStep) {
    EXPECT_EXIT(std::_Exit(runSetup("pictures")), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tev
