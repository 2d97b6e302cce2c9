#pragma once
// Command line of tev-capture.

#include <optional>
#include <string>
#include <vector>

#include "platform/display.h"

namespace tev::capture {

inline constexpr const char* kDefaultPreset = "superfast";
inline constexpr int kDefaultQuality = 24;

// Whether a video file of that name gets H.264 and AAC (its extension is
// .mp4, .m4v or .mov, in any case).
bool choosesH264(const std::string& video);

struct FrameRequest {
    std::string label;  // the time as written on the command line
    double seconds = 0.0;
};

struct Options {
    std::vector<FrameRequest> frames;  // --at
    std::string outDir;                // --out
    std::string video;                 // --video FILE
    std::string audio;                 // --audio FILE.wav
    std::string dataDir;               // --data DIR: "" for the show's own
    double from = 0.0;                 // --from, with --video or --audio
    double to = 130.0;                 // --to
    int width = 800;
    int height = 600;
    int fps = 0;  // 0 until given: 60 for --at, 30 for --video and --audio
    // H.264's settings for .mp4, .m4v and .mov: x264's preset and its
    // constant rate factor (lower is better and larger).
    std::string preset = kDefaultPreset;  // --preset
    int quality = kDefaultQuality;        // --quality
    bool playEveryFrame = false;          // --every-frame: draw the frames before at full size too
    platform::GlPipeline gl = platform::GlPipeline::Native;  // --gl
    int bits = 32;                                           // --bits: the picture's colour
    bool help = false;
    bool version = false;
};

// The parsed options, or nothing with the reason in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error);

extern const char kUsage[];

}  // namespace tev::capture
