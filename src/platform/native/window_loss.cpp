#include "platform/native/window_loss.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

#include "platform/native/mode_guardian.h"

namespace tev::platform {
namespace {

// The GLX extension's error numbers that name a drawable.
constexpr int kGlxBadDrawable = 2;
constexpr int kGlxBadCurrentWindow = 5;
constexpr int kGlxBadCurrentDrawable = 11;
constexpr int kGlxBadWindow = 12;

// One thread makes every X call of the program's connection; the handlers
// run inside those calls.
unsigned long watched = 0;
bool gone = false;
bool lossPending = false;
bool everLost = false;
int glxErrorBase = -1;
XErrorHandler previousHandler = nullptr;

void noteLoss() {
    if (gone) return;
    gone = true;
    lossPending = true;
    everLost = true;
    std::fprintf(stderr,
                 "tev-intro: the show's window was destroyed by another program; "
                 "the show ends\n");
}

bool namesDrawable(const XErrorEvent& error) {
    if (error.error_code == BadWindow || error.error_code == BadDrawable) return true;
    if (glxErrorBase < 0) return false;
    const int glx = error.error_code - glxErrorBase;
    return glx == kGlxBadDrawable || glx == kGlxBadCurrentWindow || glx == kGlxBadCurrentDrawable ||
           glx == kGlxBadWindow;
}

int onXError(Display* display, XErrorEvent* error) {
    if (watched != 0 && error->resourceid == watched && (gone || namesDrawable(*error))) {
        noteLoss();
        return 0;
    }
    // Once the window is gone, SDL still handles events queued for it: it
    // asks for the dead window's parent and goes on with whatever it got
    // back, which makes errors about other ids.
    if (gone && (namesDrawable(*error) || error->error_code == BadMatch)) return 0;
    return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

[[noreturn]] int onConnectionLost(Display* display) {
    std::fprintf(stderr, "tev-intro: the connection to the X server %s was lost; the show ends\n",
                 DisplayString(display));
    restoreGuardedMode();
    std::fflush(stdout);
    _exit(kExitWindowLost);
}

}  // namespace

void watchWindow(void* connection, unsigned long window) {
    auto* display = static_cast<Display*>(connection);
    // Installed anew when someone else (a message box's toolkit) put its own
    // in since; never chained to itself.
    const XErrorHandler before = XSetErrorHandler(onXError);
    if (before != onXError) previousHandler = before;
    XSetIOErrorHandler(onConnectionLost);
    if (glxErrorBase < 0) {
        int opcode = 0, eventBase = 0, errorBase = 0;
        if (XQueryExtension(display, "GLX", &opcode, &eventBase, &errorBase)) {
            glxErrorBase = errorBase;
        }
    }
    watched = window;
    gone = false;
    lossPending = false;
}

void forgetWindow(unsigned long window) {
    if (window == watched && !gone) watched = 0;
}

void noteWindowDestroyed(unsigned long window) {
    if (watched != 0 && window == watched) noteLoss();
}

bool watchedWindowGone() {
    return gone;
}

bool takeWindowLoss() {
    const bool pending = lossPending;
    lossPending = false;
    return pending;
}

bool windowTakenAway() {
    return everLost;
}

}  // namespace tev::platform
