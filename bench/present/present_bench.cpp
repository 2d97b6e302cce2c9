// What fullscreen costs a frame beyond drawing it: the picture, drawn at
// the chosen size, scaled onto the display between black bars (a clear of
// the display and a linearly filtered blit), on a headless context of the
// display's size. A glFinish ends every present, so the time is the GL's
// work and not only its queueing.
//   tev-bench-present [--benchmark_filter=...]

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/native/headless_gl.h"
#include "platform/native/offscreen_picture.h"
#include "portable/standard_output.h"

namespace {

// Arguments: picture width, height and bits; display width and height.
void present(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int bits = static_cast<int>(state.range(2));
    const int displayWidth = static_cast<int>(state.range(3));
    const int displayHeight = static_cast<int>(state.range(4));
    std::string error;
    auto gl = tev::platform::HeadlessGl::create(displayWidth, displayHeight, &error);
    auto picture =
        gl ? tev::platform::OffscreenPicture::create(width, height, bits, &error) : nullptr;
    if (!picture) {
        state.SkipWithError(error.c_str());
        return;
    }
    glClearColor(0.3f, 0.5f, 0.7f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    for (auto _ : state) {
        picture->present(displayWidth, displayHeight);
        glFinish();
    }
    state.counters["display_Mpixels"] = displayWidth * displayHeight / 1e6;
}

BENCHMARK(present)
    ->ArgNames({"w", "h", "bits", "display_w", "display_h"})
    ->Args({800, 600, 32, 1920, 1080})
    ->Args({640, 480, 16, 1920, 1080})
    ->Args({800, 600, 32, 1440, 1080})  // no bars: the blit alone
    ->Args({800, 600, 32, 2560, 1440})
    ->Args({800, 600, 32, 800, 600})  // 1:1, as in a window of the same size
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

// The library prints --help and ends the process by itself.
[[maybe_unused]] const bool outputChecked = tev::checkStandardOutputAtExit("tev-bench-present");

BENCHMARK_MAIN();
