#pragma once
// Command line of tev-bench.

#include <optional>
#include <string>
#include <vector>

#include "platform/display.h"

namespace tev::bench {

struct Options {
    int width = 800;
    int height = 600;
    int fps = 30;
    double from = 0.0;
    double to = 130.0;
    bool built = true;       // time the show as built
    bool literal = true;     // time the literal GL stream
    bool blocks = false;     // time each block (a glFinish after each)
    bool compare = false;    // read both modes' frames back and count differing pixels
    bool fragments = false;  // count each block's fragments (implies blocks)
    std::string json;        // --json FILE
    std::string dataDir;     // --data DIR: "" for the show's own
    // --gl: what answers the show's GL calls, one run each in this order.
    std::vector<platform::GlPipeline> pipelines{platform::GlPipeline::Native};
    int bits = 32;  // --bits: the picture's colour
    bool help = false;
    bool version = false;
};

// The parsed options, or nothing with the reason in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error);

extern const char kUsage[];

}  // namespace tev::bench
