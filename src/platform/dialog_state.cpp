#include "platform/dialog_view.h"

namespace tev::platform {

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
