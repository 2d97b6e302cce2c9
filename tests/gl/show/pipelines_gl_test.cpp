// The whole show drawn through the GL 1.1 subset over OpenGL ES 3 against
// Mesa's own fixed-function pipeline, a frame every second: what a page over
// WebGL 2 may differ by, measured where both run on the same rasteriser.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "picture_diff.h"
#include "platform/data_dir.h"
#include "show/offline_show.h"

namespace tev {
namespace {

constexpr int kFps = 60;
constexpr int kLastSecond = 130;
// A pixel is off by more than this many levels in some channel...
constexpr int kThreshold = 8;
// ...in at most this share of a frame, and the mean stays within this.
constexpr double kMostOffShare = 0.01;
constexpr double kMostMean = 1.5;

#if defined(__SANITIZE_ADDRESS__)
constexpr int kStep = 13;  // the sanitizer build draws without llvmpipe's threads: fewer frames
#else
constexpr int kStep = 1;
#endif

struct Config {
    int width;
    int height;
    int bits;
};

void PrintTo(const Config& config, std::ostream* out) {
    *out << config.width << "x" << config.height << ", " << config.bits << " bits";
}

std::vector<test::Picture> framesEverySecond(const Config& config, platform::GlPipeline pipeline,
                                             std::string* error) {
    OfflineShow::GlOptions gl;
    gl.pipeline = pipeline;
    gl.bitsPerPixel = config.bits;
    auto show = OfflineShow::create(config.width, config.height, kFps, error, gl);
    std::vector<test::Picture> frames;
    if (!show) return frames;
    for (int second = 0; second <= kLastSecond; second += kStep) {
        show->skipTo(static_cast<int64_t>(second) * kFps);
        show->drawNextFrame();
        frames.push_back({config.width, config.height, show->readPixels()});
    }
    return frames;
}

class Pipelines : public testing::TestWithParam<Config> {};

TEST_P(Pipelines, TheSubsetDrawsEverySecondOfTheShowAsMesaDoes) {
    // Without the pack and the sprites most of what the subset must get
    // right (pictures, glyphs, sprites) would not be drawn at all.
    ASSERT_EQ(platform::missingDataFiles(), std::vector<std::string>{})
        << "the show's data is not in the working directory (ctest runs this from bin/)";
    const Config config = GetParam();
    std::string error;
    const auto native = framesEverySecond(config, platform::GlPipeline::Native, &error);
    ASSERT_FALSE(native.empty()) << error;
    const auto subset = framesEverySecond(config, platform::GlPipeline::Subset, &error);
    ASSERT_EQ(subset.size(), native.size()) << error;

    double largestShare = 0.0, largestMean = 0.0;
    int shareAt = 0, meanAt = 0;
    for (size_t i = 0; i < native.size(); ++i) {
        const int second = static_cast<int>(i) * kStep;
        const auto diff = test::comparePictures(native[i], subset[i], kThreshold);
        ASSERT_GT(diff.pixels, 0) << "frames of another size at " << second << " s";
        const double share = static_cast<double>(diff.off) / diff.pixels;
        if (share > largestShare) {
            largestShare = share;
            shareAt = second;
        }
        if (diff.mean > largestMean) {
            largestMean = diff.mean;
            meanAt = second;
        }
        if (share > kMostOffShare || diff.mean > kMostMean) {
            const auto folder = std::filesystem::temp_directory_path();
            const std::string stem = (folder / ("tev-pipelines-" + std::to_string(config.width) +
                                                "-" + std::to_string(second) + "s-"))
                                         .string();
            test::writePpm(stem + "native.ppm", native[i]);
            test::writePpm(stem + "subset.ppm", subset[i]);
            ADD_FAILURE() << "at " << second << " s: " << diff.describe() << "; both frames in "
                          << stem << "*.ppm";
        }
    }
    std::printf(
        "%dx%d, %d bits, %zu frames: at most %.3f %% of the pixels off by more than %d "
        "(at %d s), mean at most %.3f levels (at %d s)\n",
        config.width, config.height, config.bits, native.size(), 100.0 * largestShare, kThreshold,
        shareAt, largestMean, meanAt);
}

INSTANTIATE_TEST_SUITE_P(WholeShow, Pipelines,
                         testing::Values(Config{800, 600, 32}, Config{640, 480, 16}),
                         [](const testing::TestParamInfo<Config>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height) + "x" +
                                    std::to_string(info.param.bits);
                         });

}  // namespace
}  // namespace tev
