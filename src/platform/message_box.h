#pragma once
// Modal message boxes with no owner window. Without a display to show them
// on, the text goes to standard error instead. A caught termination signal
// (termination_signals.h) closes a box at once, as OK does, and a box asked
// for after one only writes its text to standard error: the program is on
// its way out.

#include <string>

namespace tev::platform {

enum class BoxIcon { Error, Warning };

void messageBox(const std::string& text, const std::string& caption, BoxIcon icon);

// True when an X display can be opened (FLTK ends the process otherwise).
bool displayAvailable();

// Why the window system could not be reached, in one line naming the
// display: `cannot open display ":5"`, no DISPLAY or WAYLAND_DISPLAY set, or
// SDL's reason when the display itself opens.
std::string displayProblem();

}  // namespace tev::platform
