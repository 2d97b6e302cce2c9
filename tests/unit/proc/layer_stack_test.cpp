#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "proc/layer_stack.h"

namespace tev {
namespace {

constexpr size_t kBytes = LayerStack::kLayerBytes;

uint8_t* pixelOf(LayerStack& stack, int layer, int x, int y) {
    return stack.layer(layer) + (y * 256 + x) * 4;
}

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r + g * 256 + b * 65536;
}

std::vector<uint8_t> copyOf(const LayerStack& stack, int layer) {
    const uint8_t* p = stack.layer(layer);
    return std::vector<uint8_t>(p, p + kBytes);
}

// A different value in nearly every byte.
void fillPattern(LayerStack& stack, int layer) {
    uint8_t* p = stack.layer(layer);
    for (size_t i = 0; i < kBytes; ++i)
        p[i] = static_cast<uint8_t>(i * 7 + i / 1024);
}

TEST(LayerStack, CountsAreClampedAndLayersCleared) {
    LayerStack stack;
    EXPECT_EQ(stack.count(), 8);
    for (int k = 0; k < 8; ++k) {
        ASSERT_NE(stack.layer(k), nullptr);
        EXPECT_EQ(copyOf(stack, k), std::vector<uint8_t>(kBytes, 0));
    }
    EXPECT_EQ(stack.layer(8), nullptr);
    EXPECT_EQ(stack.setLayerCount(100), LAYER_SLOTS);
    EXPECT_NE(stack.layer(LAYER_SLOTS - 1), nullptr);
    EXPECT_EQ(stack.setLayerCount(-5), 0);
    EXPECT_EQ(stack.layer(0), nullptr);
}

TEST(LayerStack, FailedAllocationStopsAtThatSlotAndIsReported) {
    int calls = 0;
    LayerStack stack([&calls]() -> std::unique_ptr<uint8_t[]> {
        if (++calls == 3) return nullptr;
        // Dirty memory: the stack must clear it.
        std::unique_ptr<uint8_t[]> memory(new uint8_t[kBytes]);
        std::memset(memory.get(), 0xab, kBytes);
        return memory;
    });
    EXPECT_EQ(stack.count(), 2);  // slot 2 failed
    EXPECT_EQ(copyOf(stack, 1), std::vector<uint8_t>(kBytes, 0));
    EXPECT_EQ(stack.layer(2), nullptr);
    EXPECT_FALSE(stack.sinePlasma(2, 0, 2, 2, 0, 0));
    EXPECT_FALSE(stack.warpCopy(0, 1, 0, 0, 1, 0, 0, 2));
    calls = 0;
    EXPECT_EQ(stack.setLayerCount(8), 2);
    calls = 100;
    EXPECT_EQ(stack.setLayerCount(8), 8);
}

TEST(LayerStack, BadLayerOrChannelIsHarmless) {
    LayerStack stack;
    fillPattern(stack, 0);
    const std::vector<uint8_t> before = copyOf(stack, 0);
    for (int bad : {-1, 8, 75, std::numeric_limits<int>::max()}) {
        EXPECT_FALSE(stack.sinePlasma(bad, 0, 2, 2, 0, 0));
        EXPECT_FALSE(stack.cellDistance(bad, 0, 4, 80, 0));
        EXPECT_FALSE(stack.adjustHsv(bad, 1, 256, 0, 256, 0, 256));
        EXPECT_FALSE(stack.sineRemap(bad, 0, 155, 182));
        EXPECT_FALSE(stack.warpCopy(bad, 1, 0, 0, 1, 0, 0, 0));
        EXPECT_FALSE(stack.warpCopy(0, 1, 0, 0, 1, 0, 0, bad));
        EXPECT_EQ(stack.sampleBilinear(bad, 1, 1), 0u);
    }
    for (int channel : {-1, 4, 1000}) {
        EXPECT_FALSE(stack.sinePlasma(0, channel, 2, 2, 0, 0));
        EXPECT_FALSE(stack.cellDistance(0, channel, 4, 80, 0));
        EXPECT_FALSE(stack.sineRemap(0, channel, 155, 182));
    }
    EXPECT_FALSE(stack.cellDistance(0, 0, LayerStack::kMaxCellPoints + 1, 80, 0));
    EXPECT_EQ(copyOf(stack, 0), before);
}

TEST(LayerStack, SinePlasmaWritesOneChannel) {
    LayerStack stack;
    fillPattern(stack, 0);
    const std::vector<uint8_t> before = copyOf(stack, 0);
    ASSERT_TRUE(stack.sinePlasma(0, 0, 2, 2, 0, 0));
    EXPECT_EQ(*pixelOf(stack, 0, 0, 0), 127);
    int highest = 0;
    for (size_t i = 0; i < kBytes; ++i) {
        if (i % 4 == 0) {
            highest = std::max<int>(highest, stack.layer(0)[i]);
        } else {
            ASSERT_EQ(stack.layer(0)[i], before[i]);
        }
    }
    EXPECT_EQ(highest, 253);
    // Extreme steps wrap like 32-bit integers instead of overflowing.
    EXPECT_TRUE(stack.sinePlasma(0, 3, std::numeric_limits<int>::max(), -7,
                                 std::numeric_limits<int>::min(), 5));
}

TEST(LayerStack, SampleBilinearWrapsAndMixes) {
    LayerStack stack;
    fillPattern(stack, 0);
    auto colour = [&](int x, int y) {
        const uint8_t* p = pixelOf(stack, 0, x, y);
        return rgb(p[0], p[1], p[2]);
    };
    for (int y : {0, 17, 255}) {
        for (int x : {0, 100, 255})
            EXPECT_EQ(stack.sampleBilinear(0, x, y), colour(x, y));
    }
    EXPECT_EQ(stack.sampleBilinear(0, -1, 0), colour(255, 0));
    EXPECT_EQ(stack.sampleBilinear(0, 3, -256 * 5 - 2), colour(3, 254));
    EXPECT_EQ(stack.sampleBilinear(0, 256 + 4, 512 + 9), colour(4, 9));
    const uint8_t* a = pixelOf(stack, 0, 255, 0);
    const uint8_t* b = pixelOf(stack, 0, 0, 0);
    uint32_t half = 0;
    for (int c = 0; c < 3; ++c)
        half += static_cast<uint32_t>((a[c] + b[c]) / 2) << (8 * c);
    EXPECT_EQ(stack.sampleBilinear(0, 255.5, 0), half);
    // Far-off and non-finite coordinates end (no endless wrapping loop).
    EXPECT_EQ(stack.sampleBilinear(0, -1e300, 1e300), colour(0, 0));
    EXPECT_EQ(stack.sampleBilinear(0, std::nan(""), -INFINITY), colour(0, 0));
}

TEST(LayerStack, WarpCopy) {
    LayerStack stack;
    fillPattern(stack, 0);
    fillPattern(stack, 1);
    ASSERT_TRUE(stack.warpCopy(0, 1, 0, 0.0, 1, 0, 0.0, 2));
    for (size_t i = 0; i < kBytes; ++i) {
        ASSERT_EQ(stack.layer(2)[i], i % 4 == 3 ? 0 : stack.layer(0)[i]);
    }
    // In place reads the source as it was: the same as warping a copy.
    ASSERT_TRUE(stack.warpCopy(0, 3, 10, 0.05, 5, 7, 0.02, 3));
    ASSERT_TRUE(stack.warpCopy(1, 3, 10, 0.05, 5, 7, 0.02, 1));
    EXPECT_EQ(copyOf(stack, 1), copyOf(stack, 3));
    EXPECT_NE(copyOf(stack, 3), copyOf(stack, 2));
    // Rows shift horizontally by their own phase, columns vertically by theirs.
    ASSERT_TRUE(stack.warpCopy(0, 0, 64, 0.01, 2, 3, 0.02, 4));
    const double unit = 0.02453125;
    for (int y = 0; y < 256; y += 5) {
        const double rowShift = std::sin(64 * unit) * 0.01 * 256;
        for (int x = 0; x < 256; ++x) {
            const double columnShift = std::sin((3 + 2 * x) * unit) * 0.02 * 256;
            const uint8_t* p = pixelOf(stack, 4, x, y);
            ASSERT_EQ(rgb(p[0], p[1], p[2]) + (p[3] << 24u),
                      stack.sampleBilinear(0, x - rowShift, y - columnShift));
        }
    }
}

TEST(LayerStack, ColourConversions) {
    double h, s, v;
    LayerStack::rgbToHsv(255, 0, 0, h, s, v);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(v, 255);
    LayerStack::rgbToHsv(255, 255, 0, h, s, v);
    EXPECT_EQ(h, 60);
    LayerStack::rgbToHsv(255, 0, 1, h, s, v);  // just short of a full turn
    EXPECT_GT(h, 359);
    EXPECT_LT(h, 360);
    for (double grey : {0.0, 77.0, 255.0}) {
        LayerStack::rgbToHsv(grey, grey, grey, h, s, v);
        EXPECT_EQ(h, -1);
        EXPECT_EQ(s, 0);
        EXPECT_EQ(v, grey);
    }

    // Greys: no saturation, whatever the hue.
    EXPECT_EQ(LayerStack::hsvToRgb(-1, 0, 200), rgb(200, 200, 200));
    EXPECT_EQ(LayerStack::hsvToRgb(250, 0, 77), rgb(77, 77, 77));
    EXPECT_EQ(LayerStack::hsvToRgb(-1, 0, 0), 0u);
    // The pure hues, one in each sixth of the turn, and one between two.
    EXPECT_EQ(LayerStack::hsvToRgb(0, 1, 255), rgb(255, 0, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(60, 1, 255), rgb(255, 255, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(120, 1, 255), rgb(0, 255, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(180, 1, 255), rgb(0, 255, 255));
    EXPECT_EQ(LayerStack::hsvToRgb(240, 1, 255), rgb(0, 0, 255));
    EXPECT_EQ(LayerStack::hsvToRgb(300, 1, 255), rgb(255, 0, 255));
    EXPECT_EQ(LayerStack::hsvToRgb(30, 1, 255), rgb(255, 127, 0));  // 127.5 truncated
    EXPECT_EQ(LayerStack::hsvToRgb(200, 0.5, 100), rgb(50, 83, 100));
    // Hues outside one turn come back into it.
    EXPECT_EQ(LayerStack::hsvToRgb(360, 1, 255), rgb(255, 0, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(-120, 1, 255), rgb(0, 0, 255));
    EXPECT_EQ(LayerStack::hsvToRgb(2 * 360 + 120, 1, 255), rgb(0, 255, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(3.6e15 + 240, 1, 255), rgb(0, 0, 255));
    EXPECT_EQ(LayerStack::hsvToRgb(-3.6e15 - 120, 1, 255), rgb(0, 0, 255));
    // The hue whose sixth rounds up to 6 is red, like hue 0.
    EXPECT_EQ(LayerStack::hsvToRgb(std::nextafter(360.0, 0.0), 1, 255), rgb(255, 0, 0));
    // Components beyond 0..255 are limited to it, each on its own: none
    // borrows from the next channel or sets alpha.
    EXPECT_EQ(LayerStack::hsvToRgb(0, 0, 300), rgb(255, 255, 255));
    EXPECT_EQ(LayerStack::hsvToRgb(0, 0.5, 300), rgb(255, 150, 150));
    EXPECT_EQ(LayerStack::hsvToRgb(120, 0.5, -10), 0u);
    EXPECT_EQ(LayerStack::hsvToRgb(0, 2, 100), rgb(100, 0, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(0, -1, 100), rgb(100, 200, 200));
    // An endless or missing hue falls in the first sixth with its fraction
    // lost: red gets the value, green (which needs the fraction) 0. A missing
    // value gives black, an endless one white.
    EXPECT_EQ(LayerStack::hsvToRgb(INFINITY, 1, 255), rgb(255, 0, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(-INFINITY, 1, 255), rgb(255, 0, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(std::nan(""), 1, 255), rgb(255, 0, 0));
    EXPECT_EQ(LayerStack::hsvToRgb(std::nan(""), 1, std::nan("")), 0u);
    EXPECT_EQ(LayerStack::hsvToRgb(90, 0.5, INFINITY), rgb(255, 255, 255));
}

TEST(LayerStack, AdjustHsvIdentityKeepsColoursAndClearsAlpha) {
    LayerStack stack;
    fillPattern(stack, 0);
    const std::vector<uint8_t> before = copyOf(stack, 0);
    ASSERT_TRUE(stack.adjustHsv(0, 0, 256, 0, 256, 0, 256));
    const uint8_t* after = stack.layer(0);
    for (size_t i = 0; i < kBytes; ++i) {
        if (i % 4 == 3) {
            ASSERT_EQ(after[i], 0);
        } else {
            ASSERT_LE(before[i] - after[i], 1) << i;  // truncation only
            ASSERT_GE(before[i] - after[i], 0) << i;
        }
    }
    // Value scaled past 255 is limited, so white stays white.
    uint8_t* p = pixelOf(stack, 0, 0, 0);
    p[0] = p[1] = p[2] = 200;
    ASSERT_TRUE(stack.adjustHsv(0, 0, 256, 0, 256, 100, 256));
    EXPECT_EQ(stack.sampleBilinear(0, 0, 0), rgb(255, 255, 255));
}

TEST(LayerStack, CellDistancePointsAndCounts) {
    double xs[2], ys[2];
    LayerStack::cellPoints(2, 0, xs, ys);
    EXPECT_EQ(xs[0], 210.5);
    EXPECT_EQ(ys[0], 206.5);
    EXPECT_EQ(xs[1], 38.5);
    EXPECT_EQ(ys[1], 91.5);

    LayerStack stack;
    fillPattern(stack, 0);
    // No points: the start distance 512 times scale / 32, limited to 255.
    ASSERT_TRUE(stack.cellDistance(0, 2, 0, 10, 0));
    EXPECT_EQ(*(pixelOf(stack, 0, 77, 201) + 2), 160);
    ASSERT_TRUE(stack.cellDistance(0, 2, -4, 80, 0));
    EXPECT_EQ(*(pixelOf(stack, 0, 3, 9) + 2), 255);
}

// The distance field straight from its definition: every point and every
// shifted copy the edge flags allow, one pixel at a time.
uint8_t plainCellDistance(int r, int q, const std::vector<double>& xs,
                          const std::vector<double>& ys, int scale) {
    double g = 262144.0;
    for (size_t k = 0; k < xs.size(); ++k) {
        const double d = (r - ys[k]) * (r - ys[k]) + (q - xs[k]) * (q - xs[k]);
        if (d < g) g = d;
    }
    const int n = static_cast<int>(std::sqrt(g));
    const int m = 256 - n;
    const bool flags[4] = {q > m, q<n, r> m, r < n};  // right, left, bottom, top
    for (size_t k = 0; k < xs.size(); ++k) {
        if (n < xs[k] && xs[k] < m && n < ys[k] && ys[k] < m) continue;
        for (int sy : {-256, 0, 256}) {
            for (int sx : {-256, 0, 256}) {
                if (sx == 0 && sy == 0) continue;
                if ((sx < 0 && !flags[0]) || (sx > 0 && !flags[1])) continue;
                if ((sy < 0 && !flags[2]) || (sy > 0 && !flags[3])) continue;
                const double dy = r - ys[k] + sy;
                const double dx = q - xs[k] + sx;
                const double d = std::trunc(dy * dy + dx * dx);
                if (d < g) g = d;
            }
        }
    }
    double value = std::sqrt(g) * (scale * 0.03125);
    if (value > 255) value = 255;
    return static_cast<uint8_t>(std::nearbyint(value));
}

TEST(LayerStack, CellDistanceMatchesItsPlainDefinition) {
    LayerStack stack;
    const struct {
        int count, scale, seed;
    } cases[] = {{1, 32, 5}, {2, 300, 41}, {3, 100, 77}, {24, 80, 0}, {30, 20, -1234}};
    for (const auto& c : cases) {
        std::vector<double> xs(c.count), ys(c.count);
        LayerStack::cellPoints(c.count, c.seed, xs.data(), ys.data());
        ASSERT_TRUE(stack.cellDistance(0, 2, c.count, c.scale, c.seed));
        for (int r = 0; r < 256; ++r) {
            for (int q = 0; q < 256; ++q) {
                ASSERT_EQ(*(pixelOf(stack, 0, q, r) + 2), plainCellDistance(r, q, xs, ys, c.scale))
                    << "count " << c.count << " seed " << c.seed << " at " << q << ", " << r;
            }
        }
    }
}

TEST(LayerStack, CellDistanceMeasuresAcrossTheWrap) {
    // A seed whose only point lies near the right border.
    int seed = 0;
    double x = 0, y = 0;
    for (;; ++seed) {
        LayerStack::cellPoints(1, seed, &x, &y);
        if (x >= 254) break;
    }
    const int row = static_cast<int>(y);
    LayerStack stack;
    ASSERT_TRUE(stack.cellDistance(0, 0, 1, 320, seed));  // factor 10
    // Through the wrap, column 0 is 256 - x + 0.5 away horizontally (about
    // 1.5 or 2.5), 0.5 vertically; the shifted square is truncated first.
    const double dx = 256 - x;
    const double wrapped = std::sqrt(std::trunc(dx * dx + 0.25)) * 10;
    EXPECT_EQ(*pixelOf(stack, 0, 0, row), static_cast<int>(std::nearbyint(wrapped)));
    EXPECT_LT(*pixelOf(stack, 0, 0, row), 30);
    // The last column measures directly.
    const double direct = std::sqrt((255 - x) * (255 - x) + 0.25) * 10;
    EXPECT_EQ(*pixelOf(stack, 0, 255, row), static_cast<int>(std::nearbyint(direct)));
}

TEST(LayerStack, SineRemapRange) {
    LayerStack stack;
    fillPattern(stack, 0);
    const std::vector<uint8_t> before = copyOf(stack, 0);
    for (int a : {155, -3000}) {
        for (int b : {182, -64}) {
            uint8_t* p = stack.layer(0);
            for (int v = 0; v < 65536; ++v)
                p[v * 4 + 1] = static_cast<uint8_t>(v);
            ASSERT_TRUE(stack.sineRemap(0, 1, a, b));
            for (size_t i = 0; i < kBytes; ++i) {
                if (i % 4 == 1) {
                    ASSERT_GE(p[i], 2);
                    ASSERT_LE(p[i], 254);
                } else {
                    ASSERT_EQ(p[i], before[i]);
                }
            }
        }
    }
    // v = 0, b = 0: sin(0) * 126 + 128.
    uint8_t* p = stack.layer(0);
    p[1] = 0;
    ASSERT_TRUE(stack.sineRemap(0, 1, 155, 0));
    EXPECT_EQ(p[1], 128);
}

}  // namespace
}  // namespace tev
