#pragma once
// The message loop and the requests that end a display cycle.

#include <cstdint>
#include <functional>

#include "platform/events.h"

namespace tev {

struct AppWindow;

// The message queue of the program's window.
platform::EventQueue& eventQueue();

// The two cycle flags of the entry point.
struct CycleFlags {
    int32_t keepRunning = 1;        // 1 while the program goes on to another cycle
    int32_t fullscreenRequest = 0;  // the window mode of the next cycle
};
CycleFlags& cycleFlags();
void flipFullscreenRequest();

// Ends the display cycle for good: a quit message for the window, and no
// further cycle.
void requestQuit(AppWindow* window);

// Ends the display cycle and asks for another in the same mode (--loop at
// the show's end): a quit message for the window, the program going on.
void requestRestart(AppWindow* window);

// Asks the window procedure for the other display mode (a new cycle).
void requestModeToggle(AppWindow* window);

// Acts on the window's key table once per drawn frame: Escape quits, F1
// asks for the other mode. The elapsed time is not used.
void checkKeys(AppWindow& window, uint32_t elapsedMilliseconds);

// Takes the window's events while set-up waits (for a sound server), as the
// message loop would, and acts on Escape as a frame would: false once the
// cycle is to end (Escape, the window closed, a termination signal).
bool takeEventsWhileWaiting(AppWindow& window);

// What one pass of the message loop did.
enum class LoopStep { Message, Quit, Frame, Waited };

struct FrameHooks {
    std::function<void()> drawFrame;
    std::function<void()> swapBuffers;
};

LoopStep messageLoopStep(AppWindow& window, const FrameHooks& hooks);

// Runs until the quit message is taken.
void runMessageLoop(AppWindow& window, const FrameHooks& hooks);

}  // namespace tev
