// The show drawn as a fullscreen window draws it, into an offscreen picture
// of its chosen size scaled onto the display, gives the very frames it
// draws straight into a drawable of that size (tev-capture's): same
// pixels, same state for the next frame. On the display the picture sits
// between black bars.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "proc/crt_random.h"
#include "show/offline_show.h"
#include "show/show_state.h"

namespace tev {
namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;
constexpr int kFps = 5;
const double kTimes[] = {5, 12, 30, 50, 70, 90, 105, 110, 125};

// The same starting point for every show in this process: the kept values
// and the random generator as at program start.
std::unique_ptr<OfflineShow> freshShow(int displayWidth, int displayHeight) {
    kept = KeptValues();
    srand(1);
    std::string error;
    auto show = displayWidth == 0 ? OfflineShow::create(kWidth, kHeight, kFps, &error)
                                  : OfflineShow::createOnDisplay(
                                        kWidth, kHeight, kFps, displayWidth, displayHeight, &error);
    EXPECT_TRUE(show) << error;
    return show;
}

struct Played {
    std::vector<std::vector<uint8_t>> frames;   // at kTimes
    std::vector<std::vector<uint8_t>> display;  // what present() showed then
};

Played play(OfflineShow& show) {
    Played played;
    for (double t : kTimes) {
        while (show.nextFrameTime() < t - 1e-9) {
            show.drawNextFrame();
            show.present();
        }
        show.drawNextFrame();
        show.present();
        played.frames.push_back(show.readPixels());
        played.display.push_back(show.readDisplay());
    }
    return played;
}

TEST(FullscreenPicture, FramesEqualThoseDrawnStraightIntoADrawableOfTheirSize) {
    Played straight, throughPicture, onWideDisplay;
    {
        auto show = freshShow(0, 0);
        ASSERT_TRUE(show);
        straight = play(*show);
    }
    {
        auto show = freshShow(kWidth, kHeight);  // a display of the picture's own size
        ASSERT_TRUE(show);
        throughPicture = play(*show);
    }
    {
        // Twice as wide: the picture at 1:1 in the middle, bars of 64 each side.
        auto show = freshShow(2 * kWidth, kHeight);
        ASSERT_TRUE(show);
        onWideDisplay = play(*show);
    }
    const size_t row = kWidth * 3;
    for (size_t i = 0; i < std::size(kTimes); ++i) {
        SCOPED_TRACE("t = " + std::to_string(kTimes[i]));
        EXPECT_EQ(throughPicture.frames[i], straight.frames[i]);
        EXPECT_EQ(throughPicture.display[i], straight.frames[i]);
        EXPECT_EQ(onWideDisplay.frames[i], straight.frames[i]);

        const std::vector<uint8_t>& wide = onWideDisplay.display[i];
        ASSERT_EQ(wide.size(), 2 * straight.frames[i].size());
        std::vector<uint8_t> middle, bars;
        for (int y = 0; y < kHeight; ++y) {
            const auto line = wide.begin() + static_cast<long>(y * 2 * row);
            bars.insert(bars.end(), line, line + static_cast<long>(row / 2));
            middle.insert(middle.end(), line + static_cast<long>(row / 2),
                          line + static_cast<long>(row / 2 + row));
            bars.insert(bars.end(), line + static_cast<long>(row / 2 + row),
                        line + static_cast<long>(2 * row));
        }
        EXPECT_EQ(middle, straight.frames[i]);
        EXPECT_EQ(bars, std::vector<uint8_t>(bars.size(), 0));
    }
    // The frames are not all alike (black at the start, white in the flash).
    EXPECT_NE(straight.frames[0], straight.frames[7]);
}

TEST(FullscreenPicture, ADisplayOfNoSizeIsRefused) {
    std::string error;
    EXPECT_FALSE(OfflineShow::createOnDisplay(kWidth, kHeight, kFps, 0, 600, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tev
