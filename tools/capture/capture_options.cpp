#include "capture_options.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace tev::capture {

const char kUsage[] =
    "usage: tev-capture --at T1,T2,... --out DIR [--size WxH] [--fps N]\n"
    "\n"
    "Plays the show offscreen from t = 0 with a virtual clock (frame k at k / fps\n"
    "seconds) and writes the frame drawn at each time T, rounded to the nearest\n"
    "frame, as DIR/tT.png. Needs no display and no sound device.\n"
    "\n"
    "  --at T1,T2,...  show times in seconds, 0 to 130\n"
    "  --out DIR       where the pictures go (made if missing)\n"
    "  --size WxH      frame size in pixels (default 800x600)\n"
    "  --fps N         frames per second of the virtual clock (default 60)\n"
    "  --help          this text\n";

namespace {

bool parseNumber(const std::string& text, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool parseInt(const std::string& text, int low, int high, int* out) {
    double value = 0;
    if (!parseNumber(text, &value) || value != std::floor(value) || value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error) {
    Options options;
    auto fail = [error](const std::string& why) -> std::optional<Options> {
        *error = why;
        return std::nullopt;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg != "--at" && arg != "--out" && arg != "--size" && arg != "--fps") {
            return fail("unknown argument '" + arg + "'");
        }
        if (i + 1 >= args.size()) return fail(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--at") {
            std::stringstream list(value);
            std::string item;
            while (std::getline(list, item, ',')) {
                FrameRequest request{item, 0.0};
                if (!parseNumber(item, &request.seconds) || request.seconds < 0.0 ||
                    request.seconds > 130.0) {
                    return fail("--at: '" + item + "' is not a show time from 0 to 130");
                }
                options.frames.push_back(request);
            }
        } else if (arg == "--out") {
            options.outDir = value;
        } else if (arg == "--size") {
            const size_t x = value.find('x');
            if (x == std::string::npos || !parseInt(value.substr(0, x), 1, 16384, &options.width) ||
                !parseInt(value.substr(x + 1), 1, 16384, &options.height)) {
                return fail("--size: '" + value + "' is not WIDTHxHEIGHT (1 to 16384 each)");
            }
        } else if (!parseInt(value, 1, 1000, &options.fps)) {
            return fail("--fps: '" + value + "' is not a whole number from 1 to 1000");
        }
    }
    if (options.frames.empty()) return fail("nothing to do: give --at");
    if (options.outDir.empty()) return fail("--out DIR is needed with --at");
    return options;
}

}  // namespace tev::capture
