#include "platform/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>
#include <SDL.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/termination_signals.h"

namespace tev::platform {

namespace {
constexpr double kSignalLookSeconds = 0.1;
}  // namespace

bool displayAvailable() {
    static const bool available = [] {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) return false;
        XCloseDisplay(display);
        return true;
    }();
    return available;
}

std::string displayProblem() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool hasX11 = x11 != nullptr && *x11 != '\0';
    const bool hasWayland = wayland != nullptr && *wayland != '\0';
    if (hasX11 && !displayAvailable()) return std::string("cannot open display \"") + x11 + '"';
    if (!hasX11 && hasWayland) {
        return std::string("cannot connect to Wayland display \"") + wayland +
               "\" (and DISPLAY is not set)";
    }
    if (!hasX11) return "no DISPLAY or WAYLAND_DISPLAY set";
    const char* why = SDL_GetError();
    return std::string("cannot start the window system on display \"") + x11 +
           "\": " + (why != nullptr && *why != '\0' ? why : "no video driver");
}

void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
    // The program is ending on a signal: the box would only hold it up.
    if (!displayAvailable() || caughtTerminationSignal() != 0) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    fl_font(FL_HELVETICA, 12);
    int textW = 0, textH = 0;
    fl_measure(text.c_str(), textW, textH);
    const int w = std::max(220, textW + 100);
    const int h = std::max(70, textH + 30) + 40;

    Fl_Double_Window window(w, h, caption.c_str());
    Fl_Box symbol(14, 14, 44, 44, icon == BoxIcon::Error ? "X" : "!");
    symbol.box(icon == BoxIcon::Error ? FL_OVAL_BOX : FL_THIN_UP_BOX);
    symbol.color(icon == BoxIcon::Error ? FL_RED : FL_YELLOW);
    symbol.labelcolor(icon == BoxIcon::Error ? FL_WHITE : FL_BLACK);
    symbol.labelfont(FL_HELVETICA_BOLD);
    symbol.labelsize(26);
    Fl_Box message(70, 14, w - 84, h - 60, nullptr);
    message.copy_label(text.c_str());
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    message.labelsize(12);
    Fl_Return_Button ok(w - 90, h - 36, 76, 26, "OK");
    ok.callback([](Fl_Widget* button, void*) { button->window()->hide(); });
    window.end();
    window.set_modal();
    window.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    window.show();
    // The wait wakes now and then (and on a signal) so that a termination
    // signal closes the box as OK does.
    while (window.shown() && caughtTerminationSignal() == 0)
        Fl::wait(kSignalLookSeconds);
    window.hide();
    Fl::flush();
}

}  // namespace tev::platform
