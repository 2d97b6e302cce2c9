#include "platform/dialog_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <memory>

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

        window_ = std::make_unique<Fl_Double_Window>(w, h);
        window_->copy_label(layout_.windowName.c_str());
        window_->box(FL_UP_BOX);  // the modal frame; there is no caption bar
        window_->border(0);
        window_->callback(onWindowEvent, this);
        for (size_t i = 0; i < layout_.controls.size(); ++i)
            addControl(i, textSize);
        window_->end();
        window_->set_modal();
        window_->position(screenX + (screenW - w) / 2, screenY + (screenH - h) / 2);

        procedure_(state_, DialogEvent::Init, 0);
        showState();
        if (!state_.ended()) {
            window_->show();
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
        size_t first = index;
        while (first > 0 && !layout_.controls[first].groupStart)
            --first;
        for (size_t i = first; i < layout_.controls.size(); ++i) {
            if (i != first && layout_.controls[i].groupStart) break;
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
    std::unique_ptr<Fl_Double_Window> window_;
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
