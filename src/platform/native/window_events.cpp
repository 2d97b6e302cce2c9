// The window's events, as the shell's window procedure knows them, and its
// keys as virtual-key codes (connectEvents of display.h).

#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/display.h"
#include "platform/native/mode_guardian.h"
#include "platform/native/sdl_window.h"
#include "platform/native/window_loss.h"
#include "platform/termination_signals.h"

namespace tev::platform {

// Virtual-key code for an SDL key code; kNoKeyCode and above when there is none.
uint32_t virtualKeyCode(int32_t sdlKeycode);

namespace {

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
