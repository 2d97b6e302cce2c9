#include "shell/app_window.h"

#include "platform/clock.h"
#include "platform/message_box.h"
#include "shell/main_loop.h"

namespace tev {

int registerWindowClass() {
    if (platform::initWindowSystem()) return 1;
    platform::messageBox("RegisterClassEx Failed!", "Error", platform::BoxIcon::Warning);
    return 0;
}

void unregisterWindowClass() {
    platform::quitWindowSystem();
}

int createAppWindow(AppWindow& w) {
    platform::WindowRequest request;
    request.title = w.title ? w.title : "";
    request.width = w.width;
    request.height = w.height;
    request.bitsPerPixel = w.bitsPerPixel;
    request.fullscreen = w.fullscreen == 1;
    if (w.fullscreen == 1) {
        // Without a mode change the picture is scaled to the desktop's mode.
        if (w.modeSwitch == 1) {
            // A refusal is not acted on.
            platform::changeDisplayMode(w.width, w.height, w.bitsPerPixel);
        }
        platform::showCursor(false);
    }
    w.window = platform::createWindow(request);
    if (w.window == nullptr) return 0;

    w.glContext = platform::createGlContext(w.window);
    if (w.glContext == nullptr) {
        platform::destroyWindow(w.window);
        w.window = nullptr;
        return 0;
    }
    if (!platform::makeCurrent(w.window, w.glContext)) {
        platform::deleteGlContext(w.glContext);
        w.glContext = nullptr;
        platform::destroyWindow(w.window);
        w.window = nullptr;
        return 0;
    }
    platform::requestVsync();
    platform::showWindow(w.window);
    eventQueue().clear();
    platform::connectEvents(eventQueue(), w.window);
    w.active = 1;
    int drawableWidth = w.width, drawableHeight = w.height;
    platform::drawableSize(w.window, &drawableWidth, &drawableHeight);
    reshape(drawableWidth, drawableHeight);
    if (w.keys) *w.keys = KeyTable{};
    w.lastTick = static_cast<uint32_t>(platform::clock().tickCount());
    return 1;
}

int destroyAppWindow(AppWindow& w) {
    if (w.window != nullptr) {
        platform::releaseCurrent(w.window);
        platform::deleteGlContext(w.glContext);
        w.glContext = nullptr;
        platform::destroyWindow(w.window);
        w.window = nullptr;
        // Messages of a window die with it.
        eventQueue().clear();
        eventQueue().setSource(nullptr);
    }
    if (w.fullscreen != 0) {
        platform::forgetDisplayMode();
        platform::showCursor(true);
    }
    return 1;
}

WindowProcResult windowProc(AppWindow& w, const platform::Event& event) {
    using platform::EventType;
    switch (event.type) {
        case EventType::Size:
            if (event.code == platform::SizeRestored || event.code == platform::SizeMaximized) {
                w.active = 1;
                reshape(event.width, event.height);
                return WindowProcResult::Handled;
            }
            if (event.code == platform::SizeMinimized) {
                w.active = 0;
                return WindowProcResult::Handled;
            }
            return WindowProcResult::Default;
        case EventType::Close:
            requestQuit(&w);
            return WindowProcResult::Handled;
        case EventType::KeyDown:
        case EventType::KeyUp:
            if (event.code > 255 || w.keys == nullptr) return WindowProcResult::Default;
            w.keys->down[event.code] = event.type == EventType::KeyDown ? 1 : 0;
            return WindowProcResult::Handled;
        case EventType::SystemCommand:
            if (event.code == platform::kScreenSave || event.code == platform::kMonitorPower) {
                return WindowProcResult::Handled;  // no screen saver, no monitor power-down
            }
            return WindowProcResult::Default;
        case EventType::ModeToggle:
            flipFullscreenRequest();
            eventQueue().post({EventType::Quit});
            return WindowProcResult::Default;
        case EventType::Quit:
            return WindowProcResult::Default;
    }
    return WindowProcResult::Default;
}

}  // namespace tev
