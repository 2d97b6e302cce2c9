#pragma once
// The command line: what the setup dialog picks, given up front so that the
// show starts from a launcher or a script without the dialog, and the
// literal display-mode change on request. With no arguments the dialog
// decides, as ever.

#include <optional>
#include <string>
#include <vector>

#include "platform/display.h"
#include "shell/setup_dialog.h"

namespace tev {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string error;  // with Action::Error

    std::optional<int> width;  // --size
    std::optional<int> height;
    std::optional<int> bitsPerPixel;  // --bits
    std::optional<bool> fullscreen;   // --fullscreen, --windowed
    bool modeSwitch = false;          // --mode-switch
    std::string dataDir;              // --data: where DATA.PAK and data/ are read
    bool noSound = false;             // --no-sound: no sound output, no music
    bool loop = false;                // --loop: the show starts again at its end
    // --gl: what answers the show's GL calls
    platform::GlPipeline gl = platform::GlPipeline::Native;

    // Any of the dialog's choices given: the dialog is not shown.
    bool skipsDialog() const { return width || bitsPerPixel || fullscreen; }
};

// Reads the arguments after the program's name, left to right: a later
// option overrides an earlier one of its kind; --help and --version end the
// reading; an unknown option or a bad value is an error (--data's folder
// must exist).
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The choice the options make, the others as the dialog's start button
// gives them untouched: 640 x 480, 16 bits, windowed.
DisplayChoice choiceFromCommandLine(const CommandLine& line);

// The usage lines (also for a command line in error), and what --help
// prints after them.
extern const char kUsageLine[];
extern const char kHelpText[];

}  // namespace tev
