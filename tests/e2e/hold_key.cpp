// Holds a key down, as a user does, until a window is unmapped, and lets it
// go the moment it is. The show reads keys only in a drawn frame, so the key
// must stay down until the show has acted; but a key still down when the
// show's next window takes the focus is pressed again there (SDL reports the
// keys held at focus-in), and F1 would switch twice. A shell loop that looks
// now and then lets the key go too late on a busy machine.
// The key is pressed anew every 3 s, in case a press went to no window.
// Usage: tev-test-hold-key WINDOW-ID KEYSYM SECONDS
// Status 0 once the window is unmapped or gone, 1 when SECONDS pass first.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

bool windowGone = false;

int onError(Display*, XErrorEvent* event) {
    if (event->error_code == BadWindow) windowGone = true;
    return 0;
}

void press(Display* display, KeyCode key, bool down) {
    XTestFakeKeyEvent(display, key, down ? True : False, CurrentTime);
    XFlush(display);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tev-test-hold-key WINDOW-ID KEYSYM SECONDS\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "tev-test-hold-key: no display\n");
        return 2;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "tev-test-hold-key: no XTEST\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const KeySym keysym = XStringToKeysym(argv[2]);
    const KeyCode key = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    if (key == 0) {
        std::fprintf(stderr, "tev-test-hold-key: no key %s\n", argv[2]);
        return 2;
    }
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));

    XSetErrorHandler(onError);
    XSelectInput(display, window, StructureNotifyMask);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);  // BadWindow when gone
    XSync(display, False);
    if (windowGone || attributes.map_state != IsViewable) return 0;

    press(display, key, true);
    auto pressed = std::chrono::steady_clock::now();
    bool unmapped = false;
    while (!unmapped) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if ((e.type == UnmapNotify && e.xunmap.window == window) ||
                (e.type == DestroyNotify && e.xdestroywindow.window == window)) {
                unmapped = true;
            }
        }
        if (unmapped) break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= limit) break;
        if (now - pressed >= std::chrono::seconds(3)) {
            press(display, key, false);
            press(display, key, true);
            pressed = now;
        }
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 100);
    }
    press(display, key, false);
    XSync(display, False);
    XCloseDisplay(display);
    return unmapped ? 0 : 1;
}
