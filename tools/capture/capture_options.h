#pragma once
// Command line of tev-capture.

#include <optional>
#include <string>
#include <vector>

namespace tev::capture {

struct FrameRequest {
    std::string label;  // the time as written on the command line
    double seconds = 0.0;
};

struct Options {
    std::vector<FrameRequest> frames;  // --at
    std::string outDir;                // --out
    int width = 800;
    int height = 600;
    int fps = 60;
    bool help = false;
};

// The parsed options, or nothing with the reason in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error);

extern const char kUsage[];

}  // namespace tev::capture
