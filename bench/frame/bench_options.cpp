#include "bench_options.h"

#include "show_options.h"

namespace tev::bench {

const char kUsage[] =
    "usage: tev-bench [--size WxH] [--fps N] [--from S] [--to S] [--mode both|built|literal]\n"
    "                 [--json FILE] [--blocks] [--fragments] [--compare] [--data DIR]\n"
    "                 [--gl native|subset|both] [--bits 16|32]\n"
    "\n"
    "Plays the show headless from t = 0 with a virtual clock (frame k at k / fps\n"
    "seconds), with glFinish after every frame, and times the frames from --from\n"
    "to --to. In mode both (the default) each frame is drawn twice from the same\n"
    "state, once as the show is built and once as the literal GL stream, in\n"
    "alternating order. Prints per-second frame times (median, 95th percentile,\n"
    "worst), the shares of frames drawn within one and two periods of a 60 Hz\n"
    "display, and set-up time by step. tev-bench-chart FILE.json FILE.png, from\n"
    "the source tree, draws the per-second times of a --json FILE as a chart.\n"
    "\n"
    "  --size WxH   frame size (default 800x600)\n"
    "  --fps N      frames per second of the virtual clock (default 30)\n"
    "  --from S     first show time timed, seconds (default 0)\n"
    "  --to S       end of the span, seconds (default 130)\n"
    "  --mode M     both, built or literal (one mode: for recording a GL trace)\n"
    "  --json FILE  also write the figures as JSON\n"
    "  --blocks     also time each block of the timeline; the glFinish after\n"
    "               every block makes those frames slower than the others\n"
    "  --fragments  (implies --blocks) also count the fragments each block\n"
    "               makes per frame, and the time per fragment; the counting\n"
    "               itself costs a little, so take block times from a run\n"
    "               without it\n"
    "  --compare    (mode both) also read back every frame in both modes and\n"
    "               count the pixels that differ; exit status 1 when any do\n"
    "  --data DIR   read DATA.PAK and data/*.tga from DIR instead of the show's\n"
    "               own data folder\n"
    "  --gl G       native: Mesa's own fixed-function pipeline (default); subset:\n"
    "               the program's GL 1.1 subset over OpenGL ES 3, as the\n"
    "               browser build draws; both: one run each, in that order, then\n"
    "               the two side by side (with --json FILE, the subset's figures\n"
    "               go to FILE with -subset before its extension)\n"
    "  --bits B     16 or 32: the picture's colour, 5-6-5 or 8 bits a channel\n"
    "               (default 32)\n"
    "  --help       this text\n"
    "  --version    the version of the program\n";

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
        if (arg == "--version") {
            options.version = true;
            return options;
        }
        if (arg == "--blocks") {
            options.blocks = true;
            continue;
        }
        if (arg == "--fragments") {
            options.fragments = true;
            options.blocks = true;
            continue;
        }
        if (arg == "--compare") {
            options.compare = true;
            continue;
        }
        if (arg != "--size" && arg != "--fps" && arg != "--from" && arg != "--to" &&
            arg != "--mode" && arg != "--json" && arg != "--data" && arg != "--gl" &&
            arg != "--bits") {
            return fail("unknown argument '" + arg + "'");
        }
        if (i + 1 >= args.size()) return fail(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--size") {
            const std::string why = cli::parseSize(value, &options.width, &options.height);
            if (!why.empty()) return fail(why);
        } else if (arg == "--fps") {
            const std::string why = cli::parseFps(value, &options.fps);
            if (!why.empty()) return fail(why);
        } else if (arg == "--from" || arg == "--to") {
            const std::string why =
                cli::parseShowTime(arg, value, arg == "--from" ? &options.from : &options.to);
            if (!why.empty()) return fail(why);
        } else if (arg == "--data") {
            const std::string why = cli::parseDataFolder(value, &options.dataDir);
            if (!why.empty()) return fail(why);
        } else if (arg == "--gl") {
            platform::GlPipeline pipeline{};
            if (value == "both") {
                options.pipelines = {platform::GlPipeline::Native, platform::GlPipeline::Subset};
            } else if (platform::glPipelineNamed(value.c_str(), &pipeline)) {
                options.pipelines = {pipeline};
            } else {
                return fail("--gl: '" + value + "' is not native, subset or both");
            }
        } else if (arg == "--bits") {
            const std::string why = cli::parseBits(value, &options.bits);
            if (!why.empty()) return fail(why);
        } else if (arg == "--mode") {
            if (value != "both" && value != "built" && value != "literal") {
                return fail("--mode: '" + value + "' is not both, built or literal");
            }
            options.built = value != "literal";
            options.literal = value != "built";
        } else if (value.empty()) {
            return fail(arg + " needs a file name");
        } else {
            options.json = value;
        }
    }
    if (!(options.from < options.to)) return fail("--from must come before --to");
    if (options.compare && !(options.built && options.literal)) {
        return fail("--compare needs both modes");
    }
    return options;
}

}  // namespace tev::bench
