#include "platform/dialog_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

#include "platform/message_box.h"

namespace tev::platform {
namespace {

Fl_Align alignOf(const ControlTemplate& control) {
    Fl_Align align = FL_ALIGN_INSIDE | FL_ALIGN_WRAP;
    if (control.align == TextAlign::Left) align |= FL_ALIGN_LEFT;
    if (control.align == TextAlign::Right) align |= FL_ALIGN_RIGHT;
    return align;
}

// The start button: a normal button inside a one-pixel dark frame, the way a
// dialog marks the button that Enter presses. The base handles Enter; only
// its return-arrow glyph is left out.
class DefaultButton : public Fl_Return_Button {
  public:
    using Fl_Return_Button::Fl_Return_Button;

  protected:
    void draw() override {
        const bool down = value() != 0;
        const int x = this->x() + 1, y = this->y() + 1, w = this->w() - 2, h = this->h() - 2;
        draw_box(down ? fl_down(box()) : box(), x, y, w, h, down ? selection_color() : color());
        fl_color(FL_FOREGROUND_COLOR);
        fl_rect(this->x(), this->y(), this->w(), this->h());
        draw_label(x, y, w, h);
        if (Fl::focus() == this) draw_focus(box(), x, y, w, h);
    }
};

// A check box or radio button in the "text on the left" style: its mark at
// the right edge, its text in the room left of it. The base draws the mark
// alone in a strip at the right edge, so it looks like every other mark.
template <class Button>
class TextOnLeft : public Button {
  public:
    using Button::Button;

  protected:
    void draw() override {
        const int left = this->x(), width = this->w();
        const int margin = Fl::box_dx(this->box());
        const int strip = this->labelsize() + 2 * (margin + 2);  // the base's mark and gaps
        const Fl_Labeltype labelType = this->labeltype();
        const int visibleFocus = Fl::visible_focus();
        this->labeltype(FL_NO_LABEL);
        Fl::visible_focus(0);
        this->x(left + width - strip);
        this->w(strip);
        Button::draw();
        this->x(left);
        this->w(width);
        this->labeltype(labelType);
        Fl::visible_focus(visibleFocus);
        this->draw_label(left + margin, this->y(), width - strip, this->h());
        if (Fl::focus() == this) this->draw_focus();
    }
};

// A group box: an etched frame whose top line runs half a font height below
// the box's top, under the start of its label. A box too low to hold a line
// of text is its top line alone, the thin rule that parts a dialog.
class GroupBox : public Fl_Widget {
  public:
    GroupBox(int x, int y, int w, int h, int fontHeight)
        : Fl_Widget(x, y, w, h), fontHeight_(fontHeight) {}

  protected:
    void draw() override {
        const int top = y() + fontHeight_ / 2;
        const int height = y() + h() - top;
        if (height >= fontHeight_) {
            draw_box(FL_ENGRAVED_FRAME, x(), top, w(), height, color());
        } else {
            // The engraved frame's top edge: shadow, then highlight.
            fl_color(fl_gray_ramp('H' - 'A'));
            fl_xyline(x(), top, x() + w() - 1);
            fl_color(fl_gray_ramp('W' - 'A'));
            fl_xyline(x(), top + 1, x() + w() - 1);
        }
        if (label() != nullptr && *label() != '\0') {
            fl_font(labelfont(), labelsize());
            const int textWidth = static_cast<int>(fl_width(label())) + 4;
            const int textLeft = x() + fontHeight_ / 2;
            fl_color(color());
            fl_rectf(textLeft, y(), textWidth, fontHeight_);
            draw_label(textLeft + 2, y(), textWidth, fontHeight_);
        }
    }

  private:
    int fontHeight_;
};

ScreenDensity readScreenDensity(int screen) {
    fl_open_display();
    ScreenDensity density;
    if (const char* dpi = XGetDefault(fl_display, "Xft", "dpi")) density.dpiResource = dpi;
    float horizontal = 0, vertical = 0;
    Fl::screen_dpi(horizontal, vertical, screen);
    density.serverDpi = vertical;
    int x = 0, y = 0, w = 0, h = 0;
    Fl::screen_xywh(x, y, w, h, screen);
    density.screenHeight = h;
    return density;
}

// The dialog's own window: it gives the keyboard focus to the control the
// template says first, and hands arrow keys to `onArrow` before its group
// would move the focus in its own order. As dialogs do, it draws no focus
// mark until the viewer moves the focus with the keyboard: the dialog looks
// the same whether or not it has the keyboard.
class DialogFrame : public Fl_Double_Window {
  public:
    DialogFrame(int w, int h, std::function<bool(ArrowKey)> onArrow)
        : Fl_Double_Window(w, h), onArrow_(std::move(onArrow)) {}

    Fl_Widget* firstFocus = nullptr;

  protected:
    void draw() override {
        const int visibleFocus = Fl::visible_focus();
        if (!focusMarks_) Fl::visible_focus(0);
        Fl_Double_Window::draw();
        Fl::visible_focus(visibleFocus);
    }

    int handle(int event) override {
        if (event == FL_PUSH) firstFocus = nullptr;  // a click places the focus itself
        if (event == FL_FOCUS && firstFocus != nullptr) {
            if (std::exchange(firstFocus, nullptr)->take_focus()) return 1;
        }
        if (event == FL_KEYBOARD && !focusMarks_) {
            const int key = Fl::event_key();
            if (key == FL_Tab || key == FL_Left || key == FL_Right || key == FL_Up ||
                key == FL_Down) {
                focusMarks_ = true;
                redraw();
            }
        }
        if (event == FL_KEYBOARD && (Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT)) == 0) {
            switch (Fl::event_key()) {
                case FL_Left:
                    return onArrow_(ArrowKey::Left);
                case FL_Right:
                    return onArrow_(ArrowKey::Right);
                case FL_Up:
                    return onArrow_(ArrowKey::Up);
                case FL_Down:
                    return onArrow_(ArrowKey::Down);
            }
        }
        return Fl_Double_Window::handle(event);
    }

  private:
    std::function<bool(ArrowKey)> onArrow_;
    bool focusMarks_ = false;
};

Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

// The server's time now: the time stamp of a property change on a window of
// our own, made for the purpose.
Time serverTime(Display* display) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    const Window window =
        XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, CopyFromParent,
                      InputOnly, CopyFromParent, CWEventMask, &attributes);
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(display, window, PropertyChangeMask, &event);
    XDestroyWindow(display, window);
    return event.xproperty.time;
}

// The atoms of a window's ATOM-list property.
std::vector<Atom> atomList(Display* display, Window window, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* values = reinterpret_cast<const Atom*>(data);
        atoms.assign(values, values + count);
    }
    if (data != nullptr) XFree(data);
    return atoms;
}

// What FLTK says of a window without a border, and of the dialog's class,
// replaced before a window manager reads it: the dialog is the program's
// one window while it is shown, so it goes in the task bar, under the
// program's name, with its icon (FLTK sets that one), and with the time
// the viewer asked for it, so that focus-stealing prevention lets it have
// the keyboard.
void introduceToWindowManager(Display* display, Window window, const std::string& windowClass,
                              Time time) {
    if (!windowClass.empty()) {
        std::string name = windowClass, className = windowClass;
        XClassHint hint{name.data(), className.data()};
        XSetClassHint(display, window, &hint);
    }
    const Atom state = atom(display, "_NET_WM_STATE");
    std::vector<Atom> states = atomList(display, window, state);
    std::erase(states, atom(display, "_NET_WM_STATE_SKIP_TASKBAR"));
    if (states.empty()) {
        XDeleteProperty(display, window, state);
    } else {
        XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()),
                        static_cast<int>(states.size()));
    }
    const long userTime = static_cast<long>(time);
    XChangeProperty(display, window, atom(display, "_NET_WM_USER_TIME"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&userTime), 1);
}

bool viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// Asks for the keyboard focus for a mapped window: of the window manager
// that manages it, when it takes such requests (_NET_ACTIVE_WINDOW, from an
// application), else of the server.
void askForFocus(Display* display, Window window, Time time) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool managed =
        XGetWindowProperty(display, window, atom(display, "WM_STATE"), 0, 1, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        type != None;
    if (data != nullptr) XFree(data);
    const Atom activeWindow = atom(display, "_NET_ACTIVE_WINDOW");
    const std::vector<Atom> supported =
        atomList(display, DefaultRootWindow(display), atom(display, "_NET_SUPPORTED"));
    if (managed && std::find(supported.begin(), supported.end(), activeWindow) != supported.end()) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = activeWindow;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1;  // from an application
        event.xclient.data.l[1] = static_cast<long>(time);
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XSetInputFocus(display, window, RevertToPointerRoot, time);
    }
    XFlush(display);
}

class DialogWindow {
  public:
    DialogWindow(const DialogTemplate& layout, DialogState& state, const DialogProc& procedure)
        : layout_(layout), state_(state), procedure_(procedure) {}

    int run() {
        // The dialog opens centred on the first screen, at that screen's
        // density, but no larger than the screen.
        const double dpi = dialogDpi(readScreenDensity(0));
        int screenX = 0, screenY = 0, screenW = 0, screenH = 0;
        Fl::screen_work_area(screenX, screenY, screenW, screenH, 0);
        const int smallest = fontPixels(layout_.pointSize, dialogDpi({}));
        int textSize = fontPixels(layout_.pointSize, dpi);
        int w = 0, h = 0;
        for (;; --textSize) {
            fl_font(FL_HELVETICA, textSize);
            const int average =
                static_cast<int>(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
            baseWidth_ = (average / 26 + 1) / 2;
            baseHeight_ = fl_height();
            w = dialogUnitsToPixelsX(layout_.width, baseWidth_);
            h = dialogUnitsToPixelsY(layout_.height, baseHeight_);
            if (textSize <= smallest || (w <= screenW && h <= screenH)) break;
        }

        window_ = std::make_unique<DialogFrame>(w, h, [this](ArrowKey key) { return arrow(key); });
        window_->copy_label(layout_.windowName.c_str());
        window_->box(FL_UP_BOX);  // the modal frame; there is no caption bar
        window_->border(0);
        window_->callback(onWindowEvent, this);
        for (size_t i = 0; i < layout_.controls.size(); ++i)
            addControl(i, textSize);
        window_->end();
        window_->set_modal();
        window_->position(screenX + (screenW - w) / 2, screenY + (screenH - h) / 2);

        setIcons();

        procedure_(state_, DialogEvent::Init, 0);
        showState();
        const size_t first = firstFocus(layout_, state_);
        if (first < widgets_.size()) window_->firstFocus = widgets_[first];
        if (!state_.ended()) {
            showActive();
            while (!state_.ended() && window_->shown())
                Fl::wait();
        }
        window_->hide();
        Fl::flush();
        return state_.result();
    }

  private:
    struct Entry {
        DialogWindow* owner;
        size_t index;
    };

    void setIcons() {
        std::vector<std::unique_ptr<Fl_RGB_Image>> images;
        std::vector<const Fl_RGB_Image*> list;
        for (const WindowIcon& icon : layout_.icons) {
            images.push_back(std::make_unique<Fl_RGB_Image>(icon.rgba, icon.width, icon.height, 4));
            list.push_back(images.back().get());
        }
        if (!list.empty()) window_->icons(list.data(), static_cast<int>(list.size()));  // copies
    }

    // Shows the window and asks for the keyboard focus for it. FLTK makes
    // the window, describes it and maps it in one call; the server is held
    // meanwhile, so that a window manager reads the description only once it
    // is the dialog's own.
    void showActive() {
        Display* display = fl_display;
        XGrabServer(display);
        window_->show();
        const Window window = fl_xid(window_.get());
        const Time time = serverTime(display);
        introduceToWindowManager(display, window, layout_.windowClass, time);
        XUngrabServer(display);
        XFlush(display);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!state_.ended() && window_->shown() && !viewable(display, window)) {
            if (std::chrono::steady_clock::now() > deadline) return;
            Fl::wait(0.02);
        }
        if (!state_.ended() && window_->shown()) askForFocus(display, window, time);
    }

    // An arrow key: the focus moves as arrowMove says, and a radio button it
    // checks is clicked.
    bool arrow(ArrowKey key) {
        const auto focused = std::find(widgets_.begin(), widgets_.end(), Fl::focus());
        if (focused == widgets_.end()) {
            const size_t first = firstFocus(layout_, state_);
            if (first < widgets_.size()) widgets_[first]->take_focus();
            return true;
        }
        const FocusMove move =
            arrowMove(layout_, state_, static_cast<size_t>(focused - widgets_.begin()), key);
        widgets_[move.to]->take_focus();
        if (move.check) clicked(move.to);
        return true;
    }

    void addControl(size_t index, int textSize) {
        const ControlTemplate& c = layout_.controls[index];
        const int x = dialogUnitsToPixelsX(c.x, baseWidth_);
        const int y = dialogUnitsToPixelsY(c.y, baseHeight_);
        const int w = dialogUnitsToPixelsX(c.width, baseWidth_);
        const int h = dialogUnitsToPixelsY(c.height, baseHeight_);
        Fl_Widget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::DefaultButton:
                widget = new DefaultButton(x, y, w, h);
                break;
            case ControlKind::Button:
                widget = new Fl_Button(x, y, w, h);
                break;
            case ControlKind::CheckBox:
                widget = c.textOnLeft ? new TextOnLeft<Fl_Check_Button>(x, y, w, h)
                                      : new Fl_Check_Button(x, y, w, h);
                break;
            case ControlKind::RadioButton: {
                Fl_Round_Button* radio = c.textOnLeft ? new TextOnLeft<Fl_Round_Button>(x, y, w, h)
                                                      : new Fl_Round_Button(x, y, w, h);
                radio->type(FL_TOGGLE_BUTTON);  // exclusivity follows the template's groups
                widget = radio;
                break;
            }
            case ControlKind::StaticText: {
                auto* box = new Fl_Box(x, y, w, h);
                box->box(c.staticEdge ? FL_THIN_DOWN_BOX : FL_NO_BOX);
                widget = box;
                break;
            }
            case ControlKind::GroupBox:
                widget = new GroupBox(x, y, w, h, baseHeight_);
                break;
        }
        widget->copy_label(c.text.c_str());
        widget->labelsize(textSize);
        if (c.kind != ControlKind::DefaultButton && c.kind != ControlKind::Button) {
            widget->align(alignOf(c));
        }
        if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton) {
            state_.setCheckState(c.id, state_.checkState(c.id));
        }
        entries_.push_back(std::make_unique<Entry>(Entry{this, index}));
        widgets_.push_back(widget);
        widget->callback(onControl, entries_.back().get());
    }

    bool checkable(size_t i) const {
        const ControlKind kind = layout_.controls[i].kind;
        return kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
    }

    void showState() {
        for (size_t i = 0; i < widgets_.size(); ++i) {
            if (!checkable(i)) continue;
            auto* button = static_cast<Fl_Button*>(widgets_[i]);
            button->value(state_.checkState(layout_.controls[i].id) == Checked ? 1 : 0);
        }
    }

    // Automatic radio buttons: the clicked one is checked and the others of
    // its group (up to the next control that starts a group) are cleared.
    void checkRadio(size_t index) {
        const auto [first, end] = controlGroup(layout_, index);
        for (size_t i = first; i < end; ++i) {
            if (layout_.controls[i].kind == ControlKind::RadioButton) {
                state_.setCheckState(layout_.controls[i].id, i == index ? Checked : Unchecked);
            }
        }
    }

    void clicked(size_t index) {
        const ControlTemplate& c = layout_.controls[index];
        if (c.kind == ControlKind::RadioButton) checkRadio(index);
        if (c.kind == ControlKind::CheckBox) {
            state_.setCheckState(
                c.id, static_cast<Fl_Button*>(widgets_[index])->value() ? Checked : Unchecked);
        }
        command(c.id);
    }

    void command(int id) {
        procedure_(state_, DialogEvent::Command, id);
        showState();
    }

    static void onControl(Fl_Widget*, void* data) {
        auto* entry = static_cast<Entry*>(data);
        entry->owner->clicked(entry->index);
    }

    static void onWindowEvent(Fl_Widget*, void* data) {
        auto* self = static_cast<DialogWindow*>(data);
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) {
            self->command(kCommandCancel);
        } else {
            self->procedure_(self->state_, DialogEvent::Close, 0);
        }
    }

    const DialogTemplate& layout_;
    DialogState& state_;
    const DialogProc& procedure_;
    int baseWidth_ = 6;
    int baseHeight_ = 13;
    std::unique_ptr<DialogFrame> window_;
    std::vector<Fl_Widget*> widgets_;  // owned by the window
    std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace

int runDialog(const DialogTemplate& layout, DialogState& state, const DialogProc& procedure) {
    if (!displayAvailable()) return -1;
    DialogWindow window(layout, state, procedure);
    return window.run();
}

}  // namespace tev::platform
