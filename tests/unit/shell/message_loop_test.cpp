// The window procedure's effects and the message loop, with events fed into
// the program's real queue (no window system behind it).

#include <gtest/gtest.h>

#include <cstring>

#include "shell/app_window.h"
#include "shell/main_loop.h"

namespace tev {
namespace {

using platform::Event;
using platform::EventType;

class MessageLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        eventQueue().clear();
        eventQueue().setSource(nullptr);
        cycleFlags() = CycleFlags{};
        window.keys = &keys;
        window.active = 1;
        hooks.drawFrame = [this] { ++frames; };
        hooks.swapBuffers = [this] { ++swaps; };
    }
    void TearDown() override { eventQueue().clear(); }

    LoopStep step() { return messageLoopStep(window, hooks); }
    // Runs the loop until it takes the quit message; false if it never does.
    bool runToQuit(int limit = 100) {
        for (int i = 0; i < limit; ++i) {
            if (step() == LoopStep::Quit) return true;
        }
        return false;
    }

    AppWindow window;
    KeyTable keys;
    FrameHooks hooks;
    int frames = 0;
    int swaps = 0;
};

TEST_F(MessageLoop, DrawsAndSwapsOnlyWhenTheQueueIsEmpty) {
    eventQueue().post({EventType::KeyDown, 'A'});
    EXPECT_EQ(step(), LoopStep::Message);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(step(), LoopStep::Frame);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(swaps, 1);
}

TEST_F(MessageLoop, MinimisingStopsDrawingAndRestoringResumes) {
    eventQueue().post({EventType::Size, platform::SizeMinimized});
    step();
    EXPECT_EQ(window.active, 0);
    EXPECT_EQ(step(), LoopStep::Waited);
    EXPECT_EQ(frames, 0);

    eventQueue().post({EventType::Size, platform::SizeRestored, 320, 200});
    step();
    EXPECT_EQ(window.active, 1);
    EXPECT_EQ(step(), LoopStep::Frame);
    // The requested size is kept; only the viewport follows the window.
    EXPECT_EQ(window.width, 0);
}

TEST_F(MessageLoop, KeyFlagsFollowKeysUpToCode255Only) {
    windowProc(window, {EventType::KeyDown, 65});
    EXPECT_EQ(keys.down[65], 1);
    windowProc(window, {EventType::KeyUp, 65});
    EXPECT_EQ(keys.down[65], 0);

    const KeyTable before = keys;
    EXPECT_EQ(windowProc(window, {EventType::KeyDown, 256}), WindowProcResult::Default);
    EXPECT_EQ(windowProc(window, {EventType::KeyDown, 0x1000}), WindowProcResult::Default);
    EXPECT_EQ(0, std::memcmp(before.down, keys.down, sizeof keys.down));
}

TEST_F(MessageLoop, ScreenSaverAndMonitorPowerAreSwallowed) {
    EXPECT_EQ(windowProc(window, {EventType::SystemCommand, platform::kScreenSave}),
              WindowProcResult::Handled);
    EXPECT_EQ(windowProc(window, {EventType::SystemCommand, platform::kMonitorPower}),
              WindowProcResult::Handled);
    EXPECT_EQ(windowProc(window, {EventType::SystemCommand, 0xF020}), WindowProcResult::Default);
}

TEST_F(MessageLoop, EscapeHeldQuitsAfterTheFrameIsDrawn) {
    keys.down[platform::kKeyEscape] = 1;
    EXPECT_EQ(step(), LoopStep::Frame);  // the frame of the quit is still drawn and shown
    EXPECT_EQ(swaps, 1);
    EXPECT_TRUE(runToQuit());
    EXPECT_EQ(cycleFlags().keepRunning, 0);
}

TEST_F(MessageLoop, KeyFlagsAreComparedWithExactlyOne) {
    keys.down[platform::kKeyEscape] = 2;
    keys.down[platform::kKeyF1] = -1;
    step();
    EXPECT_EQ(eventQueue().size(), 0u);
    EXPECT_EQ(cycleFlags().keepRunning, 1);
}

TEST_F(MessageLoop, CloseRequestEndsTheProgram) {
    eventQueue().post({EventType::Close});
    EXPECT_TRUE(runToQuit());
    EXPECT_EQ(cycleFlags().keepRunning, 0);
}

TEST_F(MessageLoop, F1TwiceReturnsToTheFirstMode) {
    cycleFlags().fullscreenRequest = 0;
    for (int press = 1; press <= 2; ++press) {
        keys = KeyTable{};
        keys.down[platform::kKeyF1] = 1;
        ASSERT_TRUE(runToQuit());
        EXPECT_EQ(cycleFlags().fullscreenRequest, press % 2);
        EXPECT_EQ(cycleFlags().keepRunning, 1);  // a new cycle follows
        eventQueue().clear();
    }
    EXPECT_EQ(cycleFlags().fullscreenRequest, 0);
}

// --loop at the show's end: the cycle ends in the mode it has, and another
// follows; Escape during the next one still ends the program.
TEST_F(MessageLoop, RestartEndsTheCycleInTheSameMode) {
    for (const int mode : {0, 1}) {
        cycleFlags().fullscreenRequest = mode;
        requestRestart(&window);
        ASSERT_TRUE(runToQuit());
        EXPECT_EQ(frames, 0);  // the quit message comes before another frame
        EXPECT_EQ(cycleFlags().fullscreenRequest, mode);
        EXPECT_EQ(cycleFlags().keepRunning, 1);
        eventQueue().clear();
    }
    keys.down[platform::kKeyEscape] = 1;
    EXPECT_TRUE(runToQuit());
    EXPECT_EQ(cycleFlags().keepRunning, 0);
}

// While set-up waits for the sound server: events are taken, F1 waits for
// the frames, and Escape or a close request (which a caught signal becomes)
// end the wait and leave the quit message for the loop.
TEST_F(MessageLoop, WaitingInSetUpTakesEventsAndEndsOnEscapeOrClose) {
    eventQueue().post({EventType::KeyDown, platform::kKeyF1});
    eventQueue().post({EventType::Size, platform::SizeRestored, 640, 480});
    EXPECT_TRUE(takeEventsWhileWaiting(window));
    EXPECT_EQ(eventQueue().size(), 0u);
    EXPECT_EQ(keys.down[platform::kKeyF1], 1);
    EXPECT_EQ(cycleFlags().keepRunning, 1);
    EXPECT_EQ(frames, 0);

    eventQueue().post({EventType::KeyDown, platform::kKeyEscape});
    EXPECT_FALSE(takeEventsWhileWaiting(window));
    EXPECT_EQ(cycleFlags().keepRunning, 0);
    EXPECT_EQ(step(), LoopStep::Quit);

    keys = KeyTable{};
    cycleFlags() = CycleFlags{};
    eventQueue().post({EventType::Close});
    EXPECT_FALSE(takeEventsWhileWaiting(window));
    EXPECT_FALSE(takeEventsWhileWaiting(window)) << "asked again, it still ends";
    EXPECT_EQ(cycleFlags().keepRunning, 0);
    EXPECT_EQ(step(), LoopStep::Quit);
}

TEST_F(MessageLoop, NoKeyActsWhileMinimised) {
    eventQueue().post({EventType::Size, platform::SizeMinimized});
    step();
    keys.down[platform::kKeyF1] = 1;
    EXPECT_EQ(step(), LoopStep::Waited);
    EXPECT_EQ(eventQueue().size(), 0u);
}

}  // namespace
}  // namespace tev
