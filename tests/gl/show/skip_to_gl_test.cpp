// Frames reached by skipping (the frames before them drawn unseen, with no
// pixel work) against the same frames reached by drawing every frame before
// them: the same pixels, and before each of them the same kept values,
// random state, frame timer, clear colour and GL state.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "gl_state_digest.h"
#include "proc/crt_random.h"
#include "show/offline_show.h"
#include "show/show_state.h"

namespace tev {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 72;
constexpr int kFps = 30;
// Every scene's time: the fade-in, the credit line, the cube rows' start,
// both lit scenes, the picture show, the white flash and its fade, the end.
const double kTimes[] = {0.5, 5.0, 14.0, 47.3, 77.0, 100.4, 109.6, 112.0, 124.5, 130.0};

struct Reached {
    ShowStateSnapshot state;  // before the frame
    std::vector<float> gl;    // before the frame
    std::vector<uint8_t> pixels;
    bool ended = false;
};

// The frame timer's values (its clock is each show's own).
auto timerValues(const FrameTimer& f) {
    return std::tuple(f.now, f.previous, f.delta, f.updateCount, f.frequency, f.secondsPerTick,
                      f.shift, f.highResolution, f.lastSample, f.stallCount);
}

std::vector<Reached> reach(bool skipping) {
    // The same starting point for both: the kept values and the random
    // generator as at program start.
    kept = KeptValues();
    srand(1);
    std::string error;
    auto show = OfflineShow::create(kWidth, kHeight, kFps, &error);
    EXPECT_TRUE(show) << error;
    std::vector<Reached> reached;
    if (!show) return reached;
    for (double t : kTimes) {
        const auto frame = static_cast<int64_t>(std::llround(t * kFps));
        if (skipping) {
            show->skipTo(frame);
        } else {
            while (show->nextFrame() < frame && !show->ended())
                show->drawNextFrame();
        }
        Reached r{ShowStateSnapshot::take(), glStateDigest(), {}, show->ended()};
        EXPECT_EQ(show->nextFrame(), frame);
        show->drawNextFrame();
        r.pixels = show->readPixels();
        reached.push_back(std::move(r));
    }
    return reached;
}

TEST(SkipTo, ReachesTheFramesThatDrawingEveryFrameReaches) {
    const uint64_t start = randDrawCount();
    const auto drawn = reach(false);
    const uint64_t middle = randDrawCount();
    const auto skipped = reach(true);
    ASSERT_EQ(drawn.size(), std::size(kTimes));
    ASSERT_EQ(skipped.size(), std::size(kTimes));
    // As many random draws both ways: none is left out or added.
    EXPECT_EQ(randDrawCount() - middle, middle - start);
    for (size_t i = 0; i < std::size(kTimes); ++i) {
        SCOPED_TRACE("t = " + std::to_string(kTimes[i]));
        EXPECT_FALSE(drawn[i].ended);
        const ShowStateSnapshot &a = skipped[i].state, &b = drawn[i].state;
        EXPECT_TRUE(a.kept == b.kept);
        EXPECT_EQ(a.randState, b.randState);
        EXPECT_EQ(timerValues(a.frameTimer), timerValues(b.frameTimer));
        EXPECT_TRUE(std::equal(a.clearColour, a.clearColour + 4, b.clearColour));
        EXPECT_EQ(skipped[i].gl, drawn[i].gl);
        EXPECT_EQ(skipped[i].pixels, drawn[i].pixels);
    }
    // Not a trivial match: the frames have something in them.
    EXPECT_NE(drawn[3].pixels, drawn[4].pixels);
}

TEST(SkipTo, StopsWhereToldAndAtTheShowsEnd) {
    kept = KeptValues();
    srand(1);
    std::string error;
    auto show = OfflineShow::create(16, 12, 10, &error);
    ASSERT_TRUE(show) << error;
    int calls = 0;
    show->skipTo(50, [&] { return ++calls < 20; });
    EXPECT_EQ(calls, 20);
    EXPECT_EQ(show->nextFrame(), 20);
    show->skipTo(10);  // behind: nothing to do
    EXPECT_EQ(show->nextFrame(), 20);
    show->skipTo(100000);
    EXPECT_TRUE(show->ended());
    EXPECT_EQ(show->nextFrame(), 1302);  // the first frame after 130 s, at 10 fps
}

TEST(SkipTo, ASecondShowCountsItsOwnDraws) {
    DrawCounts counts[2];
    for (DrawCounts& c : counts) {
        std::string error;
        auto show = OfflineShow::create(16, 12, 10, &error);
        ASSERT_TRUE(show) << error;
        show->skipTo(500);
        show->drawNextFrame();
        c = show->drawCounts();
    }
    EXPECT_GT(counts[0].skippedGeometry, 0u);
    EXPECT_TRUE(counts[0] == counts[1]);
}

}  // namespace
}  // namespace tev
