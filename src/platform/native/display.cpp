#include "platform/display.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/gl_context_serial.h"
#include "platform/native/mode_guardian.h"
#include "platform/native/offscreen_picture.h"
#include "platform/native/sdl_window.h"
#include "platform/native/subset_pipeline.h"
#include "platform/native/window_loss.h"

namespace tev::platform {
namespace {

struct ContextRecord {
    SDL_GLContext sdl = nullptr;
    uint64_t serial = 0;
    bool subset = false;  // an OpenGL ES context the GL subset draws with
};

std::optional<SDL_DisplayMode> pendingMode;

// Whether the guardian lets this show change the mode; says why not.
bool guardianAgrees() {
    const char* why = nullptr;
    switch (guardModeChange()) {
        case GuardAnswer::Noted:
        case GuardAnswer::NoGuardian:  // already reported at start
            return true;
        case GuardAnswer::Held:
            why = "another show has changed the display's mode";
            break;
        case GuardAnswer::Unable:
            why = "the mode guardian cannot read the display's configuration";
            break;
        case GuardAnswer::Unanswered:
            why = "the mode guardian does not answer";
            break;
    }
    std::fprintf(stderr, "tev-intro: %s; fullscreen at the display's current mode instead\n", why);
    return false;
}

}  // namespace

// The X connection SDL draws the window with, null on other window systems.
Display* x11Display(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    return info.info.x11.display;
}

bool initWindowSystem() {
    // Closing the window is the window's own event; SDL need not also quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SIGINT and SIGTERM are the program's own (termination_signals.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // With no Wayland display named, SDL's Wayland attempt after a failed X
    // one only adds libwayland's own complaint to our "cannot open display".
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (wayland == nullptr || *wayland == '\0') SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);  // for a window destroyed under us
    // Without a display SDL falls back to drivers that show nothing; a show
    // nobody can see is a failure, unless such a driver was asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    const bool invisible =
        driver != nullptr && (SDL_strcmp(driver, "offscreen") == 0 ||
                              SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "evdev") == 0);
    if (invisible && (requested == nullptr || *requested == '\0')) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

void quitWindowSystem() {
    // After a window was taken away, SDL's connections may still hold
    // errors about it (a wake-up SDL sent the dead window on its second
    // connection), read only as SDL closes them, after it has put Xlib's
    // default handler back: exit(1). The program ends right after this, and
    // the X server frees what the connections held.
    if (windowTakenAway()) return;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool changeDisplayMode(int width, int height, int) {
    // Only the size is matched: displays of today rarely offer 16-bit modes,
    // and the colour depth of the GL visual is asked for separately.
    pendingMode.reset();
    SDL_DisplayMode want{};
    want.w = width;
    want.h = height;
    SDL_DisplayMode closest{};
    if (SDL_GetClosestDisplayMode(0, &want, &closest) == nullptr || closest.w != width ||
        closest.h != height) {
        std::fprintf(stderr,
                     "tev-intro: the display has no %dx%d mode; fullscreen at the desktop's "
                     "mode instead\n",
                     width, height);
        return false;
    }
    pendingMode = closest;
    return true;
}

void forgetDisplayMode() {
    pendingMode.reset();
}

void showCursor(bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

NativeWindow* createWindow(const WindowRequest& request) {
    // The pixel format: RGBA with the colour bits asked for, no alpha, 16
    // depth bits, no stencil or accumulation, double buffered.
    const int bits = request.bitsPerPixel == 16 ? 5 : 8;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, bits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, request.bitsPerPixel == 16 ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, bits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (chosenGlPipeline() == GlPipeline::Subset) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    } else {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    }

    // Fullscreen covers the display at the desktop's own mode, and the
    // picture, drawn at the requested size, is scaled onto it. Only a mode
    // remembered by changeDisplayMode makes it a change of the display's
    // mode to exactly the requested size.
    // The desktop's configuration is noted before the mode changes.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    const bool modeChange = request.fullscreen && pendingMode.has_value() && guardianAgrees();
    if (!request.fullscreen) {
        flags |= SDL_WINDOW_RESIZABLE;
    } else if (modeChange) {
        flags |= SDL_WINDOW_FULLSCREEN;
    } else {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    SDL_Window* sdl = SDL_CreateWindow(request.title, 0, 0, request.width, request.height, flags);
    if (sdl == nullptr) {
        if (modeChange) modeRestored();
        return nullptr;
    }
    if (modeChange) SDL_SetWindowDisplayMode(sdl, &*pendingMode);
    auto* window = new NativeWindow;
    window->sdl = sdl;
    window->id = SDL_GetWindowID(sdl);
    window->fullscreen = request.fullscreen;
    window->modeChanged = modeChange;
    window->scaled = request.fullscreen && !modeChange;
    window->pictureWidth = request.width;
    window->pictureHeight = request.height;
    window->bitsPerPixel = request.bitsPerPixel;
    SDL_SetWindowData(sdl, kWindowData, window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdl, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
        window->x11Window = info.info.x11.window;
        watchWindow(info.info.x11.display, window->x11Window);
    }
    return window;
}

void destroyWindow(NativeWindow* window) {
    if (window == nullptr) return;
    // Hiding a fullscreen window puts SDL's idea of the desktop's mode back:
    // the one of its start. Once the X server has done that, the guardian
    // puts back the configuration of just before the change. The X errors
    // of destroying a window that is gone already are in, and silenced,
    // before the window is forgotten.
    const bool gone = window->x11Window != 0 && watchedWindowGone();
    Display* x11 = window->modeChanged || gone ? x11Display(window->sdl) : nullptr;
    if (gone && x11 != nullptr) {
        // SDL hides a window it thinks shown before destroying it, and waits
        // for the unmapping. Events that came after the window's end can
        // make it think so (it reads a property of the dead window as
        // "shown"); the unmapping it waits for has come and gone long ago.
        XEvent unmapped{};
        unmapped.xunmap.type = UnmapNotify;
        unmapped.xunmap.display = x11;
        unmapped.xunmap.event = window->x11Window;
        unmapped.xunmap.window = window->x11Window;
        XPutBackEvent(x11, &unmapped);
    }
    SDL_DestroyWindow(window->sdl);
    if (x11 != nullptr) XSync(x11, False);
    forgetWindow(window->x11Window);
    if (window->modeChanged) modeRestored();
    delete window;
}

void showWindow(NativeWindow* window) {
    SDL_ShowWindow(window->sdl);
    SDL_RaiseWindow(window->sdl);
}

GlContext createGlContext(NativeWindow* window) {
    SDL_GLContext sdl = SDL_GL_CreateContext(window->sdl);
    if (sdl == nullptr) {
        if (chosenGlPipeline() == GlPipeline::Subset) {
            std::fprintf(stderr, "tev-intro: no OpenGL ES 3.0 context for the GL subset: %s\n",
                         SDL_GetError());
        }
        return nullptr;
    }
    return new ContextRecord{sdl, newGlContextSerial(), chosenGlPipeline() == GlPipeline::Subset};
}

bool makeCurrent(NativeWindow* window, GlContext context) {
    auto* record = static_cast<ContextRecord*>(context);
    if (SDL_GL_MakeCurrent(window->sdl, record->sdl) != 0) return false;
    setCurrentGlContextSerial(record->serial);
    if (window->scaled && !window->picture) {
        std::string why;
        window->picture = OffscreenPicture::create(window->pictureWidth, window->pictureHeight,
                                                   window->bitsPerPixel, &why);
        if (!window->picture) {
            // Not worth ending the show for: it fills the display, stretched.
            std::fprintf(stderr, "tev-intro: %s; the picture is stretched to the display\n",
                         why.c_str());
            window->scaled = false;
        }
    }
    if (record->subset) {
        std::string why;
        if (!startSubsetPipeline(&why)) {
            std::fprintf(stderr, "tev-intro: the GL subset cannot start: %s\n", why.c_str());
            releaseCurrent(window);
            return false;
        }
    }
    return true;
}

void releaseCurrent(NativeWindow* window) {
    stopSubsetPipeline();     // what it made belongs to the current context
    window->picture.reset();  // so does the picture's framebuffer
    SDL_GL_MakeCurrent(window->sdl, nullptr);
    setCurrentGlContextSerial(0);
}

void deleteGlContext(GlContext context) {
    auto* record = static_cast<ContextRecord*>(context);
    if (record == nullptr) return;
    SDL_GL_DeleteContext(record->sdl);
    delete record;
}

void requestVsync() {
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
}

void swapBuffers(NativeWindow* window) {
    if (window->x11Window != 0 && watchedWindowGone()) return;  // nowhere to show it
    if (window->picture) {
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window->sdl, &width, &height);
        window->picture->present(width, height);
    }
    SDL_GL_SwapWindow(window->sdl);
}

void drawableSize(NativeWindow* window, int* width, int* height) {
    if (window->scaled) {
        *width = window->pictureWidth;
        *height = window->pictureHeight;
        return;
    }
    SDL_GL_GetDrawableSize(window->sdl, width, height);
}

bool drawsClipOriginUpperLeft(NativeWindow* window) {
    return window->picture && window->picture->clipOriginUpperLeft();
}

}  // namespace tev::platform
