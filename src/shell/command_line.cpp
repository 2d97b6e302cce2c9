#include "shell/command_line.h"

#include "platform/data_dir.h"
#include "platform/display.h"

namespace tev {

const char kUsageLine[] =
    "usage: tev-intro [--size 640x480|800x600] [--bits 16|32] [--fullscreen|--windowed]\n"
    "                 [--mode-switch] [--data DIR] [--no-sound] [--loop]\n"
    "                 [--gl native|subset]\n"
    "       tev-intro --help | --version\n";

const char kHelpText[] =
    "\n"
    "A self-running audiovisual show of 130 seconds. Without options a setup\n"
    "dialog asks for the size, the colour depth and the window mode. Any of\n"
    "--size, --bits, --fullscreen and --windowed skips the dialog; what is not\n"
    "given is what the dialog's start button gives untouched (640x480, 16 bits,\n"
    "windowed).\n"
    "\n"
    "Fullscreen covers the display at the desktop's own mode: the show is drawn\n"
    "at the chosen size and scaled up with its 4:3 shape kept, between black\n"
    "bars. Escape ends the show, F1 switches between fullscreen and windowed.\n"
    "\n"
    "  --size WxH      640x480 or 800x600\n"
    "  --bits N        colour depth, 16 or 32\n"
    "  --fullscreen    fullscreen\n"
    "  --windowed      in a window of the chosen size\n"
    "  --mode-switch   fullscreen changes the display's mode to the chosen size,\n"
    "                  where the display offers it; the desktop's mode comes back\n"
    "                  however the show ends\n"
    "  --data DIR      read DATA.PAK and data/*.tga from DIR instead of the\n"
    "                  show's own data folder\n"
    "  --no-sound      play the show without sound output (no music): for a\n"
    "                  machine with no sound device or server\n"
    "  --loop          at its end the show starts again from its beginning, in\n"
    "                  the same mode, until Escape or the window is closed\n"
    "  --gl native     draw with the system's own OpenGL pipeline (default)\n"
    "  --gl subset     draw through the program's GL 1.1 subset over OpenGL ES 3,\n"
    "                  as the browser build does (to compare the two)\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Exit status: 0 when the show ended (its end, Escape, the window closed),\n"
    "1 without sound output (--no-sound plays without it) or when this text\n"
    "cannot be written, 2 for a bad command line, 3 without a window with\n"
    "OpenGL, 4 when the window was taken away (destroyed by another program,\n"
    "the X server gone), 255 without a display, 128 + N after signal N (SIGINT,\n"
    "SIGTERM and SIGHUP end the show cleanly; one the show was started with\n"
    "ignored, as under nohup, stays ignored).\n";

namespace {

CommandLine failed(const std::string& why) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = why;
    return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> value;
        // --size=800x600 as well as --size 800x600
        const size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        const bool takesValue =
            option == "--size" || option == "--bits" || option == "--data" || option == "--gl";
        if (!takesValue && value) return failed("option '" + option + "' takes no value");
        if (takesValue && !value) {
            if (i + 1 >= args.size()) return failed("option '" + option + "' needs a value");
            value = args[++i];
        }

        if (option == "--help" || option == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (option == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (option == "--size") {
            if (*value == "640x480") {
                line.width = 640;
                line.height = 480;
            } else if (*value == "800x600") {
                line.width = 800;
                line.height = 600;
            } else {
                return failed("--size: '" + *value + "' is neither 640x480 nor 800x600");
            }
        } else if (option == "--bits") {
            if (*value == "16" || *value == "32") {
                line.bitsPerPixel = *value == "16" ? 16 : 32;
            } else {
                return failed("--bits: '" + *value + "' is neither 16 nor 32");
            }
        } else if (option == "--fullscreen" || option == "--windowed") {
            line.fullscreen = option == "--fullscreen";
        } else if (option == "--mode-switch") {
            line.modeSwitch = true;
        } else if (option == "--no-sound") {
            line.noSound = true;
        } else if (option == "--loop") {
            line.loop = true;
        } else if (option == "--data") {
            if (value->empty()) return failed("option '--data' needs a value");
            const std::string problem = platform::dataFolderProblem(*value);
            if (!problem.empty()) return failed("--data: '" + *value + "': " + problem);
            line.dataDir = *value;
        } else if (option == "--gl") {
            if (!platform::glPipelineNamed(value->c_str(), &line.gl)) {
                return failed("--gl: '" + *value + "' is neither native nor subset");
            }
        } else if (option.rfind("-", 0) == 0) {
            return failed("unknown option '" + option + "'");
        } else {
            return failed("unexpected argument '" + option + "'");
        }
    }
    return line;
}

DisplayChoice choiceFromCommandLine(const CommandLine& line) {
    DisplayChoice choice;
    choice.width = line.width.value_or(640);
    choice.height = line.height.value_or(480);
    choice.bitsPerPixel = line.bitsPerPixel.value_or(16);
    choice.fullscreen = line.fullscreen.value_or(false) ? 1 : 0;
    return choice;
}

}  // namespace tev
