#include "capture_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "show_options.h"

namespace tev::capture {

const char kUsage[] =
    "usage: tev-capture --at T1,T2,... --out DIR [--size WxH] [--fps N] [--data DIR]\n"
    "                   [--gl native|subset] [--bits 16|32]\n"
    "       tev-capture --video FILE [--size WxH] [--fps N] [--from S] [--to S]\n"
    "                   [--preset P] [--quality Q] [--data DIR] [--gl native|subset]\n"
    "                   [--bits 16|32]\n"
    "       tev-capture --audio FILE.wav [--fps N] [--from S] [--to S]\n"
    "\n"
    "Plays the show offscreen from t = 0 with a virtual clock (frame k at k / fps\n"
    "seconds). Needs no display and no sound device.\n"
    "\n"
    "With --at, writes the frame drawn at each time T, rounded to the nearest\n"
    "frame, as DIR/tT.png. The frames before are played unseen (no pixels, the\n"
    "same state), so a still costs about the same at any T.\n"
    "\n"
    "With --video, encodes the frames drawn from --from to --to with the music\n"
    "through ffmpeg: H.264 and AAC for .mp4, .m4v and .mov, ffmpeg's own choice\n"
    "for any other extension (.mkv, .webm, ...). The show is always played from\n"
    "t = 0, so that what it keeps from frame to frame is right; frames before\n"
    "--from are played unseen. The audio is libopenmpt's render of the\n"
    "module, in step with the frames: up to frame k, round(k * 44100 / fps)\n"
    "samples. A progress bar shows on a terminal.\n"
    "\n"
    "With --audio, writes the music of that span alone as a 16-bit stereo WAV.\n"
    "\n"
    "  --at T1,T2,...  show times in seconds, 0 to 130\n"
    "  --out DIR       where the pictures go (made if missing)\n"
    "  --video FILE    the video to write\n"
    "  --audio FILE    the WAV to write\n"
    "  --from S        start of the span in seconds (default 0)\n"
    "  --to S          end of the span in seconds (default 130)\n"
    "  --size WxH      frame size in pixels (default 800x600)\n"
    "  --fps N         frames per second of the virtual clock (default 60 with\n"
    "                  --at, 30 with --video and --audio)\n"
    "  --preset P      x264's preset for .mp4, .m4v and .mov (default superfast):\n"
    "                  ultrafast, superfast, veryfast, faster, fast, medium,\n"
    "                  slow, slower, veryslow; faster ones take less time and\n"
    "                  make larger files\n"
    "  --quality Q     x264's rate factor, 0 to 51 (default 24): lower is\n"
    "                  better and larger, each 6 about doubles the size\n"
    "  --gl native     draw with Mesa's own fixed-function pipeline (default)\n"
    "  --gl subset     draw through the program's GL 1.1 subset over OpenGL ES 3,\n"
    "                  as the browser build does, to compare the two\n"
    "  --bits 16|32    the picture's colour: 5-6-5 or 8 bits a channel (default\n"
    "                  32), as the setup dialog's colour depth\n"
    "  --every-frame   with --at or --from: draw every frame before at full\n"
    "                  size instead of playing them unseen (slow; the same\n"
    "                  bytes, for checking)\n"
    "  --data DIR      read DATA.PAK and data/*.tga from DIR instead of the\n"
    "                  show's own data folder\n"
    "  --help          this text\n"
    "  --version       the version of the program\n";

namespace {
const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                "medium",    "slow",      "slower",   "veryslow"};
}  // namespace

bool choosesH264(const std::string& video) {
    std::string extension = std::filesystem::path(video).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mp4" || extension == ".m4v" || extension == ".mov";
}

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error) {
    Options options;
    bool spanGiven = false, encodingGiven = false;
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
        if (arg == "--version") {
            options.version = true;
            return options;
        }
        if (arg == "--every-frame") {
            options.playEveryFrame = true;
            continue;
        }
        if (arg != "--at" && arg != "--out" && arg != "--size" && arg != "--fps" &&
            arg != "--video" && arg != "--audio" && arg != "--from" && arg != "--to" &&
            arg != "--data" && arg != "--preset" && arg != "--quality" && arg != "--gl" &&
            arg != "--bits") {
            return fail("unknown argument '" + arg + "'");
        }
        if (i + 1 >= args.size()) return fail(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--at") {
            std::stringstream list(value);
            std::string item;
            while (std::getline(list, item, ',')) {
                FrameRequest request{item, 0.0};
                if (!cli::parseNumber(item, &request.seconds) || request.seconds < 0.0 ||
                    request.seconds > 130.0) {
                    return fail("--at: '" + item + "' is not a show time from 0 to 130");
                }
                options.frames.push_back(request);
            }
        } else if (arg == "--out") {
            options.outDir = value;
        } else if (arg == "--video" || arg == "--audio") {
            if (value.empty()) return fail(arg + " needs a file name");
            (arg == "--video" ? options.video : options.audio) = value;
        } else if (arg == "--from" || arg == "--to") {
            const std::string why =
                cli::parseShowTime(arg, value, arg == "--from" ? &options.from : &options.to);
            if (!why.empty()) return fail(why);
            spanGiven = true;
        } else if (arg == "--preset") {
            if (std::find_if(std::begin(kPresets), std::end(kPresets), [&](const char* name) {
                    return value == name;
                }) == std::end(kPresets)) {
                return fail("--preset: '" + value +
                            "' is not one of ultrafast, superfast, veryfast, faster, fast, "
                            "medium, slow, slower, veryslow");
            }
            options.preset = value;
            encodingGiven = true;
        } else if (arg == "--quality") {
            double q = 0.0;
            if (!cli::parseNumber(value, &q) || q != static_cast<int>(q) || q < 0 || q > 51) {
                return fail("--quality: '" + value + "' is not a whole number from 0 to 51");
            }
            options.quality = static_cast<int>(q);
            encodingGiven = true;
        } else if (arg == "--data") {
            const std::string why = cli::parseDataFolder(value, &options.dataDir);
            if (!why.empty()) return fail(why);
        } else if (arg == "--gl") {
            const std::string why = cli::parseGl(value, &options.gl);
            if (!why.empty()) return fail(why);
        } else if (arg == "--bits") {
            const std::string why = cli::parseBits(value, &options.bits);
            if (!why.empty()) return fail(why);
        } else if (arg == "--size") {
            const std::string why = cli::parseSize(value, &options.width, &options.height);
            if (!why.empty()) return fail(why);
        } else {
            const std::string why = cli::parseFps(value, &options.fps);
            if (!why.empty()) return fail(why);
        }
    }
    const int modes = !options.frames.empty() + !options.video.empty() + !options.audio.empty();
    if (modes == 0) return fail("nothing to do: give --at, --video or --audio");
    if (modes > 1) return fail("give one of --at, --video or --audio");
    if (!options.frames.empty()) {
        if (options.outDir.empty()) return fail("--out DIR is needed with --at");
        if (spanGiven) return fail("--from and --to go with --video or --audio");
        if (encodingGiven) return fail("--preset and --quality go with --video");
        if (options.fps == 0) options.fps = 60;
        return options;
    }
    if (!options.outDir.empty()) return fail("--out goes with --at");
    if (!options.video.empty() &&
        std::filesystem::path(options.video).extension().string().size() < 2) {
        return fail("--video: '" + options.video +
                    "' needs an extension such as .mp4 (it picks the format)");
    }
    if (encodingGiven && !choosesH264(options.video)) {
        return fail(
            "--preset and --quality go with --video FILE.mp4 (or .m4v, .mov), which is H.264");
    }
    if (options.fps == 0) options.fps = 30;
    if (!(options.from < options.to)) return fail("--from must come before --to");
    return options;
}

}  // namespace tev::capture
