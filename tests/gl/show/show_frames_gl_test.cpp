// Whole frames of the show, played from t = 0 with the virtual clock.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "show/offline_show.h"
#include "show/show.h"

namespace tev {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFps = 10;

struct FrameStats {
    int minimum = 255;
    int maximum = 0;
    bool uniform() const { return minimum == maximum; }
};

FrameStats stats(const std::vector<uint8_t>& rgb) {
    FrameStats s;
    for (uint8_t v : rgb) {
        s.minimum = std::min<int>(s.minimum, v);
        s.maximum = std::max<int>(s.maximum, v);
    }
    return s;
}

// Mean of (green - red) over the middle of the frame.
double greenOverRed(const std::vector<uint8_t>& rgb) {
    double sum = 0;
    int count = 0;
    for (int y = kHeight / 4; y < 3 * kHeight / 4; ++y) {
        for (int x = kWidth / 4; x < 3 * kWidth / 4; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            sum += p[1] - p[0];
            ++count;
        }
    }
    return sum / count;
}

// Gives PIC0 one flat colour, uploaded under a new name as set-up does.
void paintFirstPicture(uint8_t r, uint8_t g, uint8_t b) {
    Texture& picture = pictures[0];
    ASSERT_EQ(picture.allocate(4, 4, 4), 1);
    for (int i = 0; i < 16; ++i) {
        uint8_t* p = picture.pixels.get() + 4 * i;
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = 255;
    }
    picture.uploadMipmapped();
}

TEST(ShowFrames, PlayedFromTheStartWithARestartAt120) {
    std::string error;
    auto show = OfflineShow::create(kWidth, kHeight, kFps, &error);
    ASSERT_TRUE(show) << error;
    auto frameAt = [&](double seconds) {
        while (show->nextFrameTime() < seconds - 1e-9)
            show->drawNextFrame();
        show->drawNextFrame();
        return show->readPixels();
    };

    // The very first frame is only the black square.
    const auto first = frameAt(0.0);
    EXPECT_EQ(stats(first).maximum, 0);

    const auto middle = frameAt(50.0);
    EXPECT_FALSE(stats(middle).uniform());
    EXPECT_GT(stats(middle).maximum, 0);

    // Between 100 and 105 s the picture show draws PIC0 over the noise.
    frameAt(103.8);
    paintFirstPicture(0, 255, 0);
    const auto green = frameAt(103.9);
    paintFirstPicture(255, 0, 255);
    const auto magenta = frameAt(104.0);
    EXPECT_GT(greenOverRed(green), 20.0);
    EXPECT_LT(greenOverRed(magenta), -20.0);
    EXPECT_EQ(kept.pictureIndex, 0);

    // The white flash covers everything until 111 s.
    for (double t = 109.7; t < 111.0; t += 0.1) {
        const auto white = frameAt(t);
        EXPECT_EQ(stats(white).minimum, 255) << "t = " << t;
    }
    const auto late = frameAt(120.0);
    EXPECT_FALSE(stats(late).uniform());
    EXPECT_EQ(kept.pictureIndex, 15);

    // F1 at 120 s: set-up runs again and the show restarts at 0, but the
    // kept values carry over, so the picture show opens on the last picture.
    show->restart();
    frameAt(100.0);
    EXPECT_EQ(kept.pictureIndex, 15);
    frameAt(100.1);  // the first frame of the picture show
    EXPECT_EQ(kept.pictureIndex, 15);
    EXPECT_FALSE(show->ended());
    frameAt(130.1);
    EXPECT_TRUE(show->ended());
}

}  // namespace
}  // namespace tev
