// tev-capture: renders the show offscreen with a virtual clock and writes
// chosen frames as PNG.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "capture_options.h"
#include "platform/data_dir.h"
#include "png_io.h"
#include "show/offline_show.h"

namespace {

int run(tev::capture::Options options) {
    std::error_code error;
    // The show reads its data from the working directory, which may change
    // to the folder that holds it; the output stays where it was asked for.
    options.outDir = std::filesystem::absolute(options.outDir, error).string();
    tev::platform::enterDataDirectory();
    std::filesystem::create_directories(options.outDir, error);
    if (error) {
        std::fprintf(stderr, "tev-capture: cannot make %s: %s\n", options.outDir.c_str(),
                     error.message().c_str());
        return 1;
    }
    // Frame index -> the names wanted of it.
    std::multimap<int64_t, std::string> wanted;
    for (const auto& request : options.frames) {
        const auto frame = static_cast<int64_t>(std::llround(request.seconds * options.fps));
        wanted.emplace(frame, (std::filesystem::path(options.outDir) / ("t" + request.label + ".png")).string());
    }
    const int64_t last = wanted.rbegin()->first;

    std::string why;
    auto show = tev::OfflineShow::create(options.width, options.height, options.fps, &why);
    if (!show) {
        std::fprintf(stderr, "tev-capture: no offscreen OpenGL: %s\n", why.c_str());
        return 1;
    }
    while (show->nextFrame() <= last && !show->ended()) {
        const int64_t frame = show->nextFrame();
        show->drawNextFrame();
        const auto [begin, end] = wanted.equal_range(frame);
        if (begin == end) continue;
        const auto rgb = show->readPixels();
        for (auto it = begin; it != end; ++it) {
            if (!tev::png::writeRgb(it->second, options.width, options.height, rgb.data(), &why)) {
                std::fprintf(stderr, "tev-capture: %s\n", why.c_str());
                return 1;
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = tev::capture::parseOptions(args, &error);
    if (!options) {
        std::fprintf(stderr, "tev-capture: %s\n\n%s", error.c_str(), tev::capture::kUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(tev::capture::kUsage, stdout);
        return 0;
    }
    return run(*options);
}
