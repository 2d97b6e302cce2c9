#include "shell/setup_dialog.h"

#include <cstdlib>

#include "assets/embedded_image.h"
#include "embedded.h"

namespace tev {

using platform::ControlKind;
using platform::DialogEvent;
using platform::DialogState;
using platform::TextAlign;

std::vector<platform::WindowIcon> windowIcons() {
    std::vector<platform::WindowIcon> icons;
    const uint8_t* data = embedded::windowIcons;
    size_t left = embedded::windowIconsSize;
    while (const auto image = EmbeddedImage::parse(data, left)) {
        if (image->channels != 4) break;
        icons.push_back({int(image->width), int(image->height), image->pixels});
        const size_t bytes = 12 + size_t{image->width} * image->height * 4;
        data += bytes;
        left -= bytes;
    }
    return icons;
}

const platform::DialogTemplate& setupDialogTemplate() {
    static const platform::DialogTemplate layout = [] {
        platform::DialogTemplate t;
        t.width = 227;
        t.height = 103;
        t.pointSize = 8;
        t.windowName = "tev :: setup";
        t.windowClass = "tev-intro";
        t.icons = windowIcons();
        auto add = [&t](int id, ControlKind kind, const char* text, int x, int y, int w, int h) {
            platform::ControlTemplate c;
            c.id = id;
            c.kind = kind;
            c.text = text;
            c.x = x;
            c.y = y;
            c.width = w;
            c.height = h;
            t.controls.push_back(c);
            return &t.controls.back();
        };
        add(kStartButton, ControlKind::DefaultButton, "rebut", 131, 57, 39, 11);
        {
            auto* c = add(-1, ControlKind::StaticText,
                          "count down from ten\nlet the cubes fall in rows\n"
                          "read the words as they come\nsay the name, face the mirror",
                          7, 2, 113, 67);
            c->align = TextAlign::Centre;
            c->staticEdge = c->groupStart = true;
        }
        add(kFullscreenBox, ControlKind::CheckBox, "WindowedMode*Not*", 128, 44, 92, 10)->align =
            TextAlign::Centre;
        {
            auto* c = add(kBits16, ControlKind::RadioButton, "16bit", 143, 22, 27, 9);
            c->groupStart = c->textOnLeft = true;
            c->align = TextAlign::Centre;
        }
        add(kBits32, ControlKind::RadioButton, "32bit", 182, 22, 28, 9)->align = TextAlign::Centre;
        {
            auto* c = add(-1, ControlKind::StaticText, "tev :: intro", 138, 78, 73, 10);
            c->align = TextAlign::Centre;
            c->staticEdge = c->groupStart = true;
        }
        {
            auto* c = add(-1, ControlKind::StaticText,
                          "code, pictures and music\nby drub + pemdra & co.\n130 seconds, no more",
                          7, 72, 113, 28);
            c->align = TextAlign::Centre;
            c->staticEdge = c->groupStart = true;
        }
        add(kQuitButton, ControlKind::Button, "quit", 176, 57, 41, 11);
        add(kRes640, ControlKind::RadioButton, "6x4", 143, 5, 27, 10)->align = TextAlign::Right;
        add(kRes800, ControlKind::RadioButton, "8x6", 182, 5, 27, 10);
        add(-1, ControlKind::GroupBox, "", 130, 12, 90, 5);
        add(kOverdriveBox, ControlKind::CheckBox, "*Yes*MaximumOverdrive", 128, 33, 92, 10)->align =
            TextAlign::Right;
        return t;
    }();
    return layout;
}

DialogAction setupDialogProc(DialogState& dialog, DialogEvent event, int controlId,
                             DisplayChoice& choice) {
    using platform::Checked;
    using platform::Indeterminate;
    using platform::Unchecked;
    switch (event) {
        case DialogEvent::Init:
            dialog.checkRadioButton(kRes640, kRes800, kRes640);
            dialog.checkRadioButton(kBits16, kBits32, kBits16);
            return DialogAction::None;
        case DialogEvent::Close:
            dialog.end(0);
            return DialogAction::None;
        case DialogEvent::Command:
            break;
    }
    if (controlId == kStartButton) {
        choice.fullscreen = dialog.checkState(kFullscreenBox) != Unchecked ? 1 : 0;
        if (dialog.checkState(kRes640) == Checked || dialog.checkState(kRes800) != Checked) {
            choice.width = 640;
            choice.height = 480;
        } else {
            choice.width = 800;
            choice.height = 600;
        }
        choice.bitsPerPixel = dialog.checkState(kBits16) == Checked ? 16 : 32;
        if (dialog.checkState(kOverdriveBox) != Unchecked) {
            dialog.setCheckState(kRes640, Indeterminate);
            dialog.setCheckState(kRes800, Checked);
            dialog.setCheckState(kBits16, Indeterminate);
            dialog.setCheckState(kBits32, Checked);
            dialog.setCheckState(kFullscreenBox, Unchecked);
            choice.width = 800;
            choice.height = 600;
            choice.bitsPerPixel = 32;
            choice.fullscreen = 1;
        }
        dialog.end(1);
        return DialogAction::None;
    }
    if (controlId == kQuitButton) {
        dialog.end(1);
        return DialogAction::ExitProcess;
    }
    return DialogAction::None;  // any other command, Escape's cancel included
}

int runSetupDialog(DisplayChoice& choice) {
    DialogState dialog;
    return platform::runDialog(
        setupDialogTemplate(), dialog, [&choice](DialogState& d, DialogEvent event, int id) {
            if (setupDialogProc(d, event, id, choice) == DialogAction::ExitProcess) {
                std::exit(0);
            }
        });
}

}  // namespace tev
