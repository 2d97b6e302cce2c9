#include "platform/dialog_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>

#include <memory>

#include "platform/message_box.h"

namespace tev::platform {
namespace {

// 8 points at 96 pixels per inch.
int pointsToPixels(int points) {
    return (points * 96 + 36) / 72;
}

Fl_Align alignOf(const ControlTemplate& control) {
    Fl_Align align = FL_ALIGN_INSIDE | FL_ALIGN_WRAP;
    if (control.align == TextAlign::Left) align |= FL_ALIGN_LEFT;
    if (control.align == TextAlign::Right) align |= FL_ALIGN_RIGHT;
    return align;
}

class DialogWindow {
  public:
    DialogWindow(const DialogTemplate& layout, DialogState& state, const DialogProc& procedure)
        : layout_(layout), state_(state), procedure_(procedure) {}

    int run() {
        const int fontPixels = pointsToPixels(layout_.pointSize);
        fl_font(FL_HELVETICA, fontPixels);
        const int average =
            static_cast<int>(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseWidth_ = (average / 26 + 1) / 2;
        baseHeight_ = fl_height();

        const int w = dialogUnitsToPixelsX(layout_.width, baseWidth_);
        const int h = dialogUnitsToPixelsY(layout_.height, baseHeight_);
        window_ = std::make_unique<Fl_Double_Window>(w, h);
        window_->copy_label(layout_.windowName.c_str());
        window_->box(FL_UP_BOX);  // the modal frame; there is no caption bar
        window_->border(0);
        window_->callback(onWindowEvent, this);
        for (size_t i = 0; i < layout_.controls.size(); ++i)
            addControl(i, fontPixels);
        window_->end();
        window_->set_modal();
        window_->position((Fl::w() - w) / 2, (Fl::h() - h) / 2);

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

    void addControl(size_t index, int fontPixels) {
        const ControlTemplate& c = layout_.controls[index];
        const int x = dialogUnitsToPixelsX(c.x, baseWidth_);
        const int y = dialogUnitsToPixelsY(c.y, baseHeight_);
        const int w = dialogUnitsToPixelsX(c.width, baseWidth_);
        const int h = dialogUnitsToPixelsY(c.height, baseHeight_);
        Fl_Widget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::DefaultButton:
                widget = new Fl_Return_Button(x, y, w, h);
                break;
            case ControlKind::Button:
                widget = new Fl_Button(x, y, w, h);
                break;
            case ControlKind::CheckBox:
                widget = new Fl_Check_Button(x, y, w, h);
                break;
            case ControlKind::RadioButton: {
                auto* radio = new Fl_Round_Button(x, y, w, h);
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
            case ControlKind::GroupBox: {
                auto* box = new Fl_Box(x, y, w, h);
                box->box(FL_ENGRAVED_FRAME);
                widget = box;
                break;
            }
        }
        widget->copy_label(c.text.c_str());
        widget->labelsize(fontPixels);
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
