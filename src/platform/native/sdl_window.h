#pragma once
// The window record of the SDL backend, shared by the window's life
// (display.cpp) and its events (window_events.cpp).

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <memory>

#include "platform/display.h"
#include "platform/native/offscreen_picture.h"

namespace tev::platform {

struct NativeWindow {
    SDL_Window* sdl = nullptr;
    uint32_t id = 0;
    unsigned long x11Window = 0;  // 0 on other window systems
    bool fullscreen = false;
    bool modeChanged = false;  // fullscreen through a change of the display mode
    // Fullscreen at the desktop's mode: the show draws into `picture`, of
    // the size asked for, made once the context is current.
    bool scaled = false;
    int pictureWidth = 0;
    int pictureHeight = 0;
    int bitsPerPixel = 32;
    std::unique_ptr<OffscreenPicture> picture;
};

// The name under which SDL keeps a window's record.
constexpr const char* kWindowData = "tev-window";

// The X connection SDL draws the window with, null on other window systems.
Display* x11Display(SDL_Window* window);

}  // namespace tev::platform
