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

// Fullscreen windows cover the display at the desktop's own mode, and the
// show's picture, drawn offscreen at the size asked for, is scaled onto it
// with its shape kept (offscreen_picture.h); the display's mode never
// changes. Only on request:
//
// Looks for a display mode of exactly this size and remembers it for the
// next fullscreen window; the mode itself changes when that window is shown,
// and goes back to the desktop's when it is destroyed. The mode guardian
// (mode_guardian.h), when started, notes the desktop's configuration before
// the change and puts it back on every way out; when it cannot note it (or
// another show holds a changed mode), the window scales, with a warning.
// False, with a warning, when the display has no such mode: that window
// covers the display at the desktop's mode instead.
bool changeDisplayMode(int width, int height, int bitsPerPixel);
// Forgets the remembered mode.
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
// A fullscreen window draws offscreen at the size asked for once its
// context is current, unless it changed the display's mode.
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
// Shows the frame drawn; a picture drawn offscreen is scaled onto the
// window first.
void swapBuffers(NativeWindow* window);
// The size the show draws at: the offscreen picture's, or the window's
// drawable size.
void drawableSize(NativeWindow* window, int* width, int* height);
bool isFullscreen(NativeWindow* window);

// Makes the window system's events for this window flow into `queue`; a
// caught termination signal arrives as a close request.
void connectEvents(EventQueue& queue, NativeWindow* window);

// Virtual-key code for an SDL key code; kNoKeyCode and above when there is none.
uint32_t virtualKeyCode(int32_t sdlKeycode);

}  // namespace tev::platform
