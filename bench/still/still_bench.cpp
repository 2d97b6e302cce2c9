// What one still of the show costs against its show time T: a fresh show
// set up, played to T and the frame at T drawn and read back, as
// tev-capture --at does (the frames before T unseen). With --every-frame the
// same with every frame before T drawn at full size too, the old way, and
// the two frames compared. Each T is timed --runs times; the median shows.
//   tev-bench-still [--size WxH] [--fps N] [--at T1,T2,...] [--runs N] [--every-frame]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/data_dir.h"
#include "portable/standard_output.h"
#include "proc/crt_random.h"
#include "show/offline_show.h"
#include "show/show_state.h"
#include "show_options.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kUsage[] =
    "usage: tev-bench-still [--size WxH] [--fps N] [--at T1,T2,...] [--runs N]\n"
    "                       [--every-frame]\n"
    "Times one still at each show time T (default 0,5,30,60,90,124.5) at the\n"
    "size (default 320x240) and frame rate (default 60) of tev-capture --at:\n"
    "set-up, the frames before T played unseen, the frame at T drawn and read.\n"
    "--every-frame also times drawing every frame before T, and compares.\n";

struct Still {
    double ms = 0.0;
    std::vector<uint8_t> rgb;
};

// One still from a fresh show, the kept values and the generator as at
// program start.
Still still(int width, int height, int fps, double t, bool everyFrame) {
    tev::kept = tev::KeptValues();
    tev::srand(1);
    const auto start = Clock::now();
    std::string error;
    auto show = tev::OfflineShow::create(width, height, fps, &error);
    if (!show) {
        std::fprintf(stderr, "tev-bench-still: no offscreen OpenGL: %s\n", error.c_str());
        std::exit(1);
    }
    const auto frame = static_cast<int64_t>(std::llround(t * fps));
    if (everyFrame) {
        while (show->nextFrame() < frame && !show->ended())
            show->drawNextFrame();
    } else {
        show->skipTo(frame);
    }
    show->drawNextFrame();
    Still s{0.0, show->readPixels()};
    s.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return s;
}

int usage(const std::string& why) {
    std::fprintf(stderr, "tev-bench-still: %s\n\n%s", why.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 320, height = 240, fps = 60, runs = 3;
    bool everyFrame = false;
    std::vector<double> times = {0, 5, 30, 60, 90, 124.5};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return tev::endOfPrinting("tev-bench-still");
        }
        if (arg == "--every-frame") {
            everyFrame = true;
            continue;
        }
        if (i + 1 >= argc) return usage(arg + " needs a value");
        const std::string value = argv[++i];
        std::string why;
        if (arg == "--size") {
            why = tev::cli::parseSize(value, &width, &height);
        } else if (arg == "--fps") {
            why = tev::cli::parseFps(value, &fps);
        } else if (arg == "--runs") {
            if (!tev::cli::parseInt(value, 1, 100, &runs)) why = "--runs: 1 to 100";
        } else if (arg == "--at") {
            times.clear();
            std::stringstream list(value);
            std::string item;
            while (std::getline(list, item, ',')) {
                times.push_back(0.0);
                why = tev::cli::parseShowTime("--at", item, &times.back());
                if (!why.empty()) break;
            }
        } else {
            why = "unknown argument '" + arg + "'";
        }
        if (!why.empty()) return usage(why);
    }
    std::string why;
    if (!tev::platform::enterDataDirectory("", &why)) return usage(why);

    std::printf("tev-bench-still: %dx%d, %d fps, median of %d runs\n", width, height, fps, runs);
    std::printf("%9s %8s %12s%s\n", "T s", "frames", "skipped ms",
                everyFrame ? "   every frame ms   same frame" : "");
    for (double t : times) {
        std::vector<double> ms;
        Still skipped;
        for (int run = 0; run < runs; ++run) {
            skipped = still(width, height, fps, t, false);
            ms.push_back(skipped.ms);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%9.2f %8lld %12.1f", t, static_cast<long long>(std::llround(t * fps)),
                    ms[ms.size() / 2]);
        if (everyFrame) {
            const Still drawn = still(width, height, fps, t, true);
            std::printf(" %18.1f   %s", drawn.ms, drawn.rgb == skipped.rgb ? "yes" : "NO");
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return tev::endOfPrinting("tev-bench-still");
}
