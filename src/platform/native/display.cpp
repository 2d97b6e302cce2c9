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
#include "platform/native/window_loss.h"
#include "platform/termination_signals.h"

namespace tev::platform {

// Virtual-key code for an SDL key code; kNoKeyCode and above when there is none.
uint32_t virtualKeyCode(int32_t sdlKeycode);

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

namespace {

constexpr const char* kWindowData = "tev-window";

struct ContextRecord {
    SDL_GLContext sdl = nullptr;
    uint64_t serial = 0;
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

// The shell's size event for the window's current state and the size the
// show draws at.
Event sizeEvent(SDL_Window* window, uint32_t kind) {
    Event event{EventType::Size, kind, 0, 0};
    auto* native = static_cast<NativeWindow*>(SDL_GetWindowData(window, kWindowData));
    if (native != nullptr) {
        drawableSize(native, &event.width, &event.height);
    } else {
        SDL_GL_GetDrawableSize(window, &event.width, &event.height);
    }
    return event;
}

// The X connection SDL draws the window with, null on other window systems.
Display* x11Display(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    return info.info.x11.display;
}

// A minimised window of a mode change has SDL's idea of the desktop's mode
// back (the one of SDL's start); the guardian puts back the configuration
// of just before the change, and keeps it noted for the window's end.
void putBackDesktopIfChanged(SDL_Window* window) {
    auto* native = static_cast<NativeWindow*>(SDL_GetWindowData(window, kWindowData));
    if (native == nullptr || !native->modeChanged) return;
    if (Display* x11 = x11Display(window)) XSync(x11, False);
    restoreGuardedMode();
}

void translate(const SDL_Event& e, uint32_t windowId, EventQueue& queue) {
    switch (e.type) {
        case SDL_SYSWMEVENT:
            // Destroyed by another program: SDL itself only sees it unmapped.
            if (e.syswm.msg->subsystem == SDL_SYSWM_X11 &&
                e.syswm.msg->msg.x11.event.type == DestroyNotify) {
                noteWindowDestroyed(e.syswm.msg->msg.x11.event.xdestroywindow.window);
            }
            break;
        case SDL_QUIT:  // a signal or the session ending: close, as the window's button does
            queue.post({EventType::Close});
            break;
        case SDL_WINDOWEVENT: {
            if (e.window.windowID != windowId) break;
            SDL_Window* window = SDL_GetWindowFromID(windowId);
            switch (e.window.event) {
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_RESTORED:
                    queue.post(sizeEvent(window, SizeRestored));
                    break;
                case SDL_WINDOWEVENT_MAXIMIZED:
                    queue.post(sizeEvent(window, SizeMaximized));
                    break;
                case SDL_WINDOWEVENT_MINIMIZED:
                    putBackDesktopIfChanged(window);
                    queue.post({EventType::Size, SizeMinimized});
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    queue.post({EventType::Close});
                    break;
                default:
                    break;
            }
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            if (e.key.windowID != windowId) break;
            // Keys with Alt held, and F10, are system keys: they never set a flag.
            if ((e.key.keysym.mod & KMOD_ALT) != 0 || e.key.keysym.sym == SDLK_F10) break;
            const EventType type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
            queue.post({type, virtualKeyCode(e.key.keysym.sym)});
            break;
        }
        default:
            break;
    }
}

}  // namespace

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
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

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
    if (sdl == nullptr) return nullptr;
    return new ContextRecord{sdl, newGlContextSerial()};
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
    return true;
}

void releaseCurrent(NativeWindow* window) {
    window->picture.reset();  // its framebuffer belongs to the current context
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

void connectEvents(EventQueue& queue, NativeWindow* window) {
    const uint32_t id = window->id;
    queue.setSource([id](EventQueue& q, bool block) {
        // A caught SIGINT, SIGTERM or SIGHUP closes the window, and so does
        // the window's loss seen in an X error, so a wait looks for them now
        // and then.
        while (block && !terminationPending() && !watchedWindowGone() &&
               SDL_WaitEventTimeout(nullptr, 100) == 0) {
        }
        if (takeTermination()) q.post({EventType::Close});
        SDL_Event e;
        while (SDL_PollEvent(&e) == 1)
            translate(e, id, q);
        // A window taken away closes as if the viewer had closed it.
        if (takeWindowLoss()) q.post({EventType::Close});
    });
}

uint32_t virtualKeyCode(int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112u + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
        case SDLK_ESCAPE:
            return 27;
        case SDLK_BACKSPACE:
            return 8;
        case SDLK_TAB:
            return 9;
        case SDLK_RETURN:
            return 13;
        case SDLK_SPACE:
            return 32;
        case SDLK_PAGEUP:
            return 33;
        case SDLK_PAGEDOWN:
            return 34;
        case SDLK_END:
            return 35;
        case SDLK_HOME:
            return 36;
        case SDLK_LEFT:
            return 37;
        case SDLK_UP:
            return 38;
        case SDLK_RIGHT:
            return 39;
        case SDLK_DOWN:
            return 40;
        case SDLK_INSERT:
            return 45;
        case SDLK_DELETE:
            return 46;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return 16;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return 17;
        case SDLK_PAUSE:
            return 19;
        case SDLK_CAPSLOCK:
            return 20;
        default:
            return kNoKeyCode + static_cast<uint32_t>(key & 0xffff);
    }
}

}  // namespace tev::platform
