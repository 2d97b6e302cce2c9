#include "platform/dialog_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tev::platform {
namespace {

constexpr double kTemplateDpi = 96;
constexpr double kMaxDpi = 5 * kTemplateDpi;
// Below this a server's figure is taken for a made-up one.
constexpr double kServerDpiTrusted = 120;
constexpr int kFullHdHeight = 1080;

// The resource's number, or 0 when it is not one positive finite number.
double parseDpi(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    const double dpi = std::strtod(start, &end);
    if (end == start || !std::isfinite(dpi) || dpi <= 0) return 0;
    while (*end == ' ' || *end == '\t')
        ++end;
    return *end == '\0' ? dpi : 0;
}

}  // namespace

double dialogDpi(const ScreenDensity& screen) {
    double dpi = parseDpi(screen.dpiResource);
    if (dpi == 0) {
        dpi = kTemplateDpi;
        if (std::isfinite(screen.serverDpi) && screen.serverDpi >= kServerDpiTrusted) {
            dpi = screen.serverDpi;
        }
        const int fullHdHeights = screen.screenHeight / kFullHdHeight;
        if (fullHdHeights >= 2) dpi = std::max(dpi, kTemplateDpi * fullHdHeights);
    }
    return std::clamp(dpi, kTemplateDpi, kMaxDpi);
}

int fontPixels(int points, double dpi) {
    return static_cast<int>(std::lround(points * dpi / 72));
}

int DialogState::checkState(int id) const {
    const auto it = checks_.find(id);
    return it == checks_.end() ? Unchecked : it->second;
}

void DialogState::checkRadioButton(int first, int last, int id) {
    for (int control = first; control <= last; ++control) {
        if (checks_.count(control) != 0 || control == id) checks_[control] = Unchecked;
    }
    checks_[id] = Checked;
}

// Rounded like the window system's MulDiv: units * base / 4 horizontally,
// units * base / 8 vertically.
int dialogUnitsToPixelsX(int units, int baseWidth) {
    return (units * baseWidth * 2 + 4) / 8;
}
int dialogUnitsToPixelsY(int units, int baseHeight) {
    return (units * baseHeight * 2 + 8) / 16;
}

}  // namespace tev::platform
