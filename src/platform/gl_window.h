#pragma once
// Windows with a double-buffered OpenGL context, display modes and the
// cursor, over SDL2. The shell builds its window record and its creation
// order on these calls.

#include <cstdint>

#include "platform/events.h"

namespace tev::platform {

struct NativeWindow;      // opaque
using GlContext = void*;  // opaque

// Connects to the window system (the program's "window class"). False when
// no display can be reached.
bool initWindowSystem();
void quitWindowSystem();

// Looks for a display mode of exactly this size and remembers it for the
// next fullscreen window; the mode itself changes when that window is shown.
// False when the display has no such mode: that window then keeps the
// fullscreen styles (no frame, on top, at the origin) at its own size.
bool changeDisplayMode(int width, int height, int bitsPerPixel);
// Forgets the remembered mode; the window system restores the desktop mode
// when the fullscreen window goes.
void restoreDisplayMode();

void showCursor(bool visible);

struct WindowRequest {
    const char* title = "";
    int width = 640;
    int height = 480;
    int bitsPerPixel = 32;
    bool fullscreen = false;
};

// A hidden window whose visual has the colour bits asked for, double
// buffering and 16 depth bits. Null on failure.
NativeWindow* createWindow(const WindowRequest& request);
void destroyWindow(NativeWindow* window);
void showWindow(NativeWindow* window);

// A compatibility-profile context (a core profile rejects glBegin).
GlContext createGlContext(NativeWindow* window);
bool makeCurrent(NativeWindow* window, GlContext context);
void releaseCurrent(NativeWindow* window);
void deleteGlContext(GlContext context);

// Asks for vsync (adaptive first, then plain); a refusal is not an error.
void requestVsync();
void swapBuffers(NativeWindow* window);
void drawableSize(NativeWindow* window, int* width, int* height);
bool isFullscreen(NativeWindow* window);

// Makes the window system's events for this window flow into `queue`.
void connectEvents(EventQueue& queue, NativeWindow* window);

// Virtual-key code for an SDL key code; kNoKeyCode and above when there is none.
uint32_t virtualKeyCode(int32_t sdlKeycode);

}  // namespace tev::platform
