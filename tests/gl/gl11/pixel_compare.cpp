#include "pixel_compare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "gl11/gl11.h"
#include "mesa_table.h"
#include "platform/native/headless_gl.h"

#if __has_include("gl11/subset.h")
#include "gl11/subset.h"
#define TEV_TEST_HAS_SUBSET 1
#else
#define TEV_TEST_HAS_SUBSET 0
#endif

namespace tev::test {

namespace {

Picture drawIn(platform::HeadlessGl& gl, const std::function<void()>& draw) {
    draw();
    glFlush();
    Picture picture;
    picture.width = gl.width();
    picture.height = gl.height();
    picture.rgb = gl.readPixels();
    return picture;
}

}  // namespace

Picture drawWithMesa(int width, int height, int colourBits, const std::function<void()>& draw) {
    std::string error;
    platform::HeadlessGlOptions options;
    options.colourBits = colourBits;
    auto gl = platform::HeadlessGl::create(width, height, &error, options);
    if (!gl) {
        ADD_FAILURE() << "no compatibility context: " << error;
        return {};
    }
    gl11::use(gl11::mesaEntries());
    Picture picture = drawIn(*gl, draw);
    gl11::use(gl11::Entries{});
    return picture;
}

bool subsetBuiltIn() {
    return TEV_TEST_HAS_SUBSET != 0;
}

bool drawWithSubset(int width, int height, int subsetColourBits, int surfaceBits,
                    const std::function<void()>& draw, Picture* picture, std::string* why) {
#if TEV_TEST_HAS_SUBSET
    platform::HeadlessGlOptions options;
    options.gles3 = true;
    options.colourBits = surfaceBits;
    auto gl = platform::HeadlessGl::create(width, height, why, options);
    if (!gl) return false;
    gl11::SubsetOptions subsetOptions;
    subsetOptions.colourBits = subsetColourBits;
    if (!gl11::attachSubset(subsetOptions, why)) return false;
    *picture = drawIn(*gl, draw);
    gl11::detachSubset();
    return true;
#else
    (void)width, (void)height, (void)subsetColourBits, (void)surfaceBits, (void)draw, (void)picture;
    *why = "this build has no subset yet (gl11/subset.h)";
    return false;
#endif
}

::testing::AssertionResult matches(const std::string& name, const Picture& mesa,
                                   const Picture& subset, const Tolerance& tolerance) {
    const PixelDifference d = comparePictures(mesa, subset, tolerance.levels);
    if (d.pixels <= 0) {
        return ::testing::AssertionFailure() << name << ": the pictures differ in size";
    }
    std::cout << "[ compare  ] " << name << ": " << d.describe()
              << " (allowed: " << tolerance.offFraction * 100 << " % off by more than "
              << tolerance.levels << ", mean " << tolerance.meanDifference << ")\n";
    const bool ok = d.off <= tolerance.offFraction * d.pixels && d.mean <= tolerance.meanDifference;
    if (ok) return ::testing::AssertionSuccess();

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / "tev-gl11" /
        (info ? std::string(info->test_suite_name()) + "." + info->name() : std::string("compare"));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    Picture difference = mesa;
    for (size_t i = 0; i < difference.rgb.size(); ++i) {
        difference.rgb[i] = static_cast<uint8_t>(
            std::min(255, 16 * std::abs(int(mesa.rgb[i]) - int(subset.rgb[i]))));
    }
    const std::string base = (folder / name).string();
    writePpm(base + "-mesa.ppm", mesa);
    writePpm(base + "-subset.ppm", subset);
    writePpm(base + "-difference-x16.ppm", difference);
    auto failure = ::testing::AssertionFailure();
    failure << name << ": " << d.describe() << "; pictures in " << folder.string()
            << "\n  worst pixels (x, y from the top: mesa / subset):";
    for (const auto& w : d.worst) {
        failure << "\n    (" << w.x << ", " << w.y << "): " << w.mesa[0] << " " << w.mesa[1] << " "
                << w.mesa[2] << " / " << w.subset[0] << " " << w.subset[1] << " " << w.subset[2]
                << "  by " << w.difference;
    }
    return failure;
}

}  // namespace tev::test
