#pragma once
// The window record, the key table, and the window's life: creation with
// its OpenGL context (fullscreen at the desktop's mode with the picture
// scaled, or with a display-mode change on request), the window
// procedure that keeps the key table and the active flag, the default
// projection, and destruction in reverse order.

#include <cstdint>

#include "platform/display.h"
#include "platform/events.h"
#include "show/reshape.h"

namespace tev {

// 256 key-down flags, indexed by virtual-key code.
struct KeyTable {
    int32_t down[256] = {};
};

struct AppWindow {
    KeyTable* keys = nullptr;
    platform::NativeWindow* window = nullptr;
    platform::GlContext glContext = nullptr;
    const char* title = nullptr;
    int32_t width = 0;  // the size asked for; resizing changes only the viewport
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t fullscreen = 0;  // 1 = fullscreen cycle
    int32_t modeSwitch = 0;  // 1 = fullscreen changes the display's mode (else it scales)
    int32_t active = 0;      // 1 while frames are drawn, 0 while minimised
    uint32_t lastTick = 0;   // tick count of the last drawn frame
};

// 1 on success; 0 after its own message box.
// The window system stands in for the window class: nothing names it here.
int registerWindowClass();
void unregisterWindowClass();

// 1 with the context current; 0 with everything made so far released. A
// fullscreen record with modeSwitch asks for a mode of its size first
// (platform::changeDisplayMode): the mode changes, if at all, when the
// window is shown.
int createAppWindow(AppWindow& w);

// Always 1. Releases the context and destroys the window (which puts a
// changed display mode back); for a fullscreen record, whether or not a
// window exists, also forgets a mode asked for and shows the cursor again.
int destroyAppWindow(AppWindow& w);

enum class WindowProcResult { Handled, Default };

// The effects of one event on the window record, the key table and the queue.
WindowProcResult windowProc(AppWindow& w, const platform::Event& event);

}  // namespace tev
