#include "shell/main_loop.h"

#include "platform/clock.h"
#include "shell/app_window.h"

namespace tev {

platform::EventQueue& eventQueue() {
    static platform::EventQueue queue;
    return queue;
}

CycleFlags& cycleFlags() {
    static CycleFlags flags;
    return flags;
}

void flipFullscreenRequest() {
    CycleFlags& flags = cycleFlags();
    flags.fullscreenRequest = flags.fullscreenRequest == 1 ? 0 : 1;
}

void requestQuit(AppWindow*) {
    eventQueue().post({platform::EventType::Quit});
    cycleFlags().keepRunning = 0;
}

void requestRestart(AppWindow*) {
    eventQueue().post({platform::EventType::Quit});
}

void requestModeToggle(AppWindow*) {
    eventQueue().post({platform::EventType::ModeToggle});
}

void checkKeys(AppWindow& window, uint32_t) {
    const KeyTable* keys = window.keys;
    if (keys == nullptr) return;
    if (keys->down[platform::kKeyEscape] == 1) requestQuit(&window);
    if (keys->down[platform::kKeyF1] == 1) requestModeToggle(&window);
}

bool takeEventsWhileWaiting(AppWindow& window) {
    platform::Event event;
    while (eventQueue().peek(event)) {
        if (event.type == platform::EventType::Quit) {
            eventQueue().post(event);  // for the message loop, if one runs
            return false;
        }
        windowProc(window, event);
    }
    // F1 waits for the frames: a new cycle in the middle of set-up would
    // only start the same wait again.
    if (window.keys != nullptr && window.keys->down[platform::kKeyEscape] == 1) {
        requestQuit(&window);
    }
    return cycleFlags().keepRunning != 0;
}

LoopStep messageLoopStep(AppWindow& window, const FrameHooks& hooks) {
    platform::Event event;
    if (eventQueue().peek(event)) {
        if (event.type == platform::EventType::Quit) return LoopStep::Quit;
        windowProc(window, event);
        return LoopStep::Message;
    }
    if (window.active != 0) {
        const auto tick = static_cast<uint32_t>(platform::clock().tickCount());
        checkKeys(window, tick - window.lastTick);
        window.lastTick = tick;
        if (hooks.drawFrame) hooks.drawFrame();
        if (hooks.swapBuffers) hooks.swapBuffers();
        return LoopStep::Frame;
    }
    eventQueue().wait();
    return LoopStep::Waited;
}

void runMessageLoop(AppWindow& window, const FrameHooks& hooks) {
    while (messageLoopStep(window, hooks) != LoopStep::Quit) {
    }
}

}  // namespace tev
