#pragma once
// Modal message boxes with no owner window. Without a display to show them
// on, the text goes to standard error instead.

#include <string>

namespace tev::platform {

enum class BoxIcon { Error, Warning };

void messageBox(const std::string& text, const std::string& caption, BoxIcon icon);

// True when an X display can be opened (FLTK ends the process otherwise).
bool displayAvailable();

}  // namespace tev::platform
