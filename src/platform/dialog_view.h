#pragma once
// A small modal dialog laid out from a template in dialog units, as dialog
// resources are: the view converts units to pixels for an 8-point UI font
// at the screen's density (see dialogDpi), shows the controls and reports
// clicks. What a click means is decided by
// the caller's procedure, which reads and writes a DialogState.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tev::platform {

enum class ControlKind { DefaultButton, Button, CheckBox, RadioButton, StaticText, GroupBox };
enum class TextAlign { Left, Centre, Right };

struct ControlTemplate {
    int id = -1;
    ControlKind kind = ControlKind::StaticText;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    bool groupStart = false;                  // a new group (radio buttons group up to the next)
    TextAlign align = TextAlign::Left;
    bool textOnLeft = false;  // check mark on the right of the text
    bool staticEdge = false;  // sunken frame
};

// A picture of the program for window managers, task bars and window
// switchers: RGBA bytes, not premultiplied, row 0 at the top.
struct WindowIcon {
    int width = 0, height = 0;
    const uint8_t* rgba = nullptr;
};

struct DialogTemplate {
    int width = 0, height = 0;  // dialog units
    int pointSize = 8;
    std::string windowName;         // for window-system tools; there is no caption bar
    std::string windowClass;        // the program's name, by which desktops group its windows
    std::vector<WindowIcon> icons;  // the same picture in several sizes
    std::vector<ControlTemplate> controls;
};

enum CheckState : int { Unchecked = 0, Checked = 1, Indeterminate = 2 };
enum class DialogEvent { Init, Command, Close };

// Control ids of the commands a dialog receives without a control.
constexpr int kCommandOk = 1;      // Enter
constexpr int kCommandCancel = 2;  // Escape

// What the dialog shows, and how it ended.
class DialogState {
  public:
    int checkState(int id) const;
    void setCheckState(int id, int state) { checks_[id] = state; }
    // Checks `id` and clears every other button from first to last.
    void checkRadioButton(int first, int last, int id);

    void end(int result) {
        ended_ = true;
        result_ = result;
    }
    bool ended() const { return ended_; }
    int result() const { return result_; }

  private:
    std::map<int, int> checks_;
    bool ended_ = false;
    int result_ = 0;
};

using DialogProc = std::function<void(DialogState&, DialogEvent, int controlId)>;

// Keyboard navigation. Buttons, check boxes and radio buttons take the
// focus; controls are named by their index in the template.
enum class ArrowKey { Left, Right, Up, Down };

struct FocusMove {
    size_t to = 0;       // the control that gets the focus
    bool check = false;  // an automatic radio button to check, as a click would
};

// The controls from the start of `index`'s group up to the next group.
std::pair<size_t, size_t> controlGroup(const DialogTemplate& layout, size_t index);

// The control that has the focus when the dialog appears: the first in
// reading order (top row first, left to right), or the checked radio button
// of its group; controls.size() when no control takes the focus.
size_t firstFocus(const DialogTemplate& layout, const DialogState& state);

// Where an arrow key takes the focus from `from`. Left and Right move along
// the row to the nearest control on that side, and a radio button reached so
// is checked: the choice moves with the focus. Up and Down move to the
// nearest row above or below, to the control whose left edge is nearest;
// a radio button's group is entered at its checked button, so that the
// choice stays. Without a control in that direction the focus stays.
FocusMove arrowMove(const DialogTemplate& layout, const DialogState& state, size_t from,
                    ArrowKey key);

// What the X server says about the density of the screen the dialog opens
// on.
struct ScreenDensity {
    std::string dpiResource;  // the Xft.dpi resource as written; empty when unset
    double serverDpi = 0;     // from the screen's size in millimetres; 0 when unknown
    int screenHeight = 0;     // pixels
};

// Dots per inch to draw the dialog at: 96, the density templates are made
// for, unless the screen is denser (never less, so text never shrinks).
// The desktop's Xft.dpi is its own choice and wins; without it, a server
// density well above the made-up ones (Xorg reports 96, Xvfb 100 when told
// nothing) counts, and so does a screen at least twice the height of a
// full-HD one, which is a dense screen whatever the server says.
double dialogDpi(const ScreenDensity& screen);

// The pixel size of a font of `points` at `dpi`.
int fontPixels(int points, double dpi);

// Pixels for dialog units, given the font's average character width and
// height (the dialog's base units).
int dialogUnitsToPixelsX(int units, int baseWidth);
int dialogUnitsToPixelsY(int units, int baseHeight);

// Shows the dialog modally, centred on the screen, until the procedure ends
// it. Returns its result, or -1 when it cannot be shown at all.
int runDialog(const DialogTemplate& layout, DialogState& state, const DialogProc& procedure);

}  // namespace tev::platform
