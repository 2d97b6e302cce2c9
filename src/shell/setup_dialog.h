#pragma once
// The setup dialog: resolution, colour depth, windowed or fullscreen, or
// the one box that forces the richest setting. The decisions are plain code
// over a DialogState; the platform's dialog view only shows the controls.

#include <cstdint>
#include <vector>

#include "platform/dialog_view.h"

namespace tev {

struct DisplayChoice {
    int32_t width = 800;
    int32_t height = 600;
    int32_t bitsPerPixel = 32;
    uint8_t fullscreen = 0;
};

// Control ids of the dialog template.
enum SetupControl : int {
    kStartButton = 1,
    kQuitButton = 7,
    kRes640 = 1001,
    kRes800 = 1002,
    kBits16 = 1003,
    kFullscreenBox = 1004,
    kBits32 = 1005,
    kOverdriveBox = 1012,
};

// What the caller must do after the procedure returns.
enum class DialogAction { None, ExitProcess };

const platform::DialogTemplate& setupDialogTemplate();

// The program's icon in the sizes it carries, smallest first.
std::vector<platform::WindowIcon> windowIcons();

DialogAction setupDialogProc(platform::DialogState& dialog, platform::DialogEvent event,
                             int controlId, DisplayChoice& choice);

// Shows the dialog modally. Returns 1 after the start button, 0 after a
// close request, -1 when it cannot be shown. The quit button ends the
// process with status 0.
int runSetupDialog(DisplayChoice& choice);

}  // namespace tev
