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

namespace {

bool takesFocus(const ControlTemplate& c) {
    return c.kind == ControlKind::DefaultButton || c.kind == ControlKind::Button ||
           c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton;
}

// A radio button's group is entered at its checked button, if it has one.
size_t entryOfGroup(const DialogTemplate& layout, const DialogState& state, size_t index) {
    if (layout.controls[index].kind != ControlKind::RadioButton) return index;
    const auto [first, end] = controlGroup(layout, index);
    for (size_t i = first; i < end; ++i) {
        const ControlTemplate& c = layout.controls[i];
        if (c.kind == ControlKind::RadioButton && state.checkState(c.id) == Checked) return i;
    }
    return index;
}

bool overlap(int start, int length, int otherStart, int otherLength) {
    return start < otherStart + otherLength && otherStart < start + length;
}

}  // namespace

std::pair<size_t, size_t> controlGroup(const DialogTemplate& layout, size_t index) {
    size_t first = index, end = index + 1;
    while (first > 0 && !layout.controls[first].groupStart)
        --first;
    while (end < layout.controls.size() && !layout.controls[end].groupStart)
        ++end;
    return {first, end};
}

size_t firstFocus(const DialogTemplate& layout, const DialogState& state) {
    size_t best = layout.controls.size();
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlTemplate& c = layout.controls[i];
        if (!takesFocus(c)) continue;
        if (best == layout.controls.size() || c.y < layout.controls[best].y ||
            (c.y == layout.controls[best].y && c.x < layout.controls[best].x)) {
            best = i;
        }
    }
    return best == layout.controls.size() ? best : entryOfGroup(layout, state, best);
}

FocusMove arrowMove(const DialogTemplate& layout, const DialogState& state, size_t from,
                    ArrowKey key) {
    const ControlTemplate& here = layout.controls[from];
    const bool across = key == ArrowKey::Left || key == ArrowKey::Right;
    // How far control c lies in the key's direction; negative when it does
    // not lie that way.
    auto distance = [&](const ControlTemplate& c) {
        const bool sameRow = overlap(c.y, c.height, here.y, here.height);
        switch (key) {
            case ArrowKey::Left:
                return sameRow && c.x < here.x ? here.x - c.x : -1;
            case ArrowKey::Right:
                return sameRow && c.x > here.x ? c.x - here.x : -1;
            case ArrowKey::Up:
                return sameRow ? -1 : here.y - (c.y + c.height);
            case ArrowKey::Down:
                return sameRow ? -1 : c.y - (here.y + here.height);
        }
        return -1;
    };
    size_t best = from;
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlTemplate& c = layout.controls[i];
        if (i == from || !takesFocus(c) || distance(c) < 0) continue;
        if (best == from || distance(c) < distance(layout.controls[best])) best = i;
    }
    if (best == from) return {from, false};
    if (across) {
        const ControlTemplate& to = layout.controls[best];
        return {best, to.kind == ControlKind::RadioButton && state.checkState(to.id) != Checked};
    }
    // In the row of the nearest control, the one whose left edge is nearest.
    const ControlTemplate row = layout.controls[best];
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlTemplate& c = layout.controls[i];
        if (i == from || !takesFocus(c) || distance(c) < 0 ||
            !overlap(c.y, c.height, row.y, row.height)) {
            continue;
        }
        if (std::abs(c.x - here.x) < std::abs(layout.controls[best].x - here.x)) best = i;
    }
    return {entryOfGroup(layout, state, best), false};
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
