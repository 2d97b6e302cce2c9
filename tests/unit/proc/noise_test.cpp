#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "proc/crt_random.h"
#include "proc/noise.h"

namespace tev {
namespace {

TEST(LatticeNoise, KnownValueAndRange) {
    // n = 0, so m = (-771171059) AND 0x7fffffff = 1376312589.
    EXPECT_DOUBLE_EQ(latticeNoise(0, 0), 1.0 - 1376312589.0 / 1073741824.0);
    EXPECT_NEAR(latticeNoise(0, 0), -0.281791, 1e-6);
    for (int y = -40; y < 40; ++y) {
        for (int x = -40; x < 40; ++x) {
            const double v = latticeNoise(x, y);
            ASSERT_GT(v, -1.0);
            ASSERT_LE(v, 1.0);
        }
    }
    // The hash wraps; the extremes are ordinary inputs.
    EXPECT_GT(latticeNoise(INT_MAX, INT_MIN), -1.0);
    EXPECT_GT(latticeNoise(INT_MIN, INT_MAX), -1.0);
}

TEST(LatticeNoise, ScaleSumUsesThreeScales) {
    // Inside [0, 13) every scale reads lattice point (0, 0), L = -0.2818:
    // |trunc(13 L)| + |trunc(6.5 L)| + |trunc(3.25 L)| = 3 + 1 + 0.
    EXPECT_EQ(latticeScaleSum(0.0f, 0.0f), 4.0f);
    EXPECT_EQ(latticeScaleSum(3.0f, 3.0f), 4.0f);
    for (int y = -300; y < 300; y += 7) {
        for (int x = -300; x < 300; x += 5) {
            const float v = latticeScaleSum(static_cast<float>(x), static_cast<float>(y));
            ASSERT_GE(v, 0.0f);
            ASSERT_LE(v, 22.0f);
            ASSERT_EQ(v, std::floor(v));
        }
    }
    // Quotients beyond int range saturate instead of overflowing.
    const float far = latticeScaleSum(1e30f, -1e30f);
    EXPECT_GE(far, 0.0f);
    EXPECT_LE(far, 22.0f);
}

TEST(GradientNoise, SeedingIsReproducibleAndFillsConsistentTables) {
    seedGradientNoise(0);
    const GradientNoise first = gradientNoiseTables();
    const uint32_t stateAfterSeeding = randState();
    seedGradientNoise(0);
    const GradientNoise& tables = gradientNoiseTables();
    EXPECT_EQ(randState(), stateAfterSeeding);
    EXPECT_EQ(tables.permutation, first.permutation);
    EXPECT_EQ(tables.gradient2, first.gradient2);

    std::array<int32_t, 256> sorted;
    std::copy_n(tables.permutation.begin(), 256, sorted.begin());
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(sorted[i], i);
    for (int k = 0; k < 258; ++k) {
        ASSERT_EQ(tables.permutation[256 + k], tables.permutation[k]);
        ASSERT_EQ(tables.gradient1[256 + k], tables.gradient1[k]);
        ASSERT_EQ(tables.gradient2[256 + k], tables.gradient2[k]);
        ASSERT_EQ(tables.gradient3[256 + k], tables.gradient3[k]);
    }
    for (int i = 0; i < 256; ++i) {
        const auto& g2 = tables.gradient2[i];
        const double len2 = std::hypot(g2[0], g2[1]);
        ASSERT_TRUE(len2 == 0 || std::fabs(len2 - 1) < 1e-12);
        const auto& g3 = tables.gradient3[i];
        const double len3 = std::sqrt(g3[0] * g3[0] + g3[1] * g3[1] + g3[2] * g3[2]);
        ASSERT_TRUE(len3 == 0 || std::fabs(len3 - 1) < 1e-12);
    }

    seedGradientNoise(1);
    EXPECT_NE(gradientNoiseTables().permutation, first.permutation);
}

TEST(GradientNoise, ZeroOnTheLatticeAndPeriodic) {
    seedGradientNoise(0);
    for (int y = -5; y < 300; y += 37) {
        for (int x = -5; x < 300; x += 41)
            EXPECT_EQ(gradientNoise(x, y), 0.0);
    }
    bool varies = false;
    for (double y = 0.125; y < 4; y += 0.75) {
        for (double x = 0.375; x < 4; x += 0.5) {
            const double v = gradientNoise(x, y);
            varies = varies || v != 0;
            // Dyadic offsets keep the coordinates exact.
            EXPECT_EQ(gradientNoise(x + 256, y), v);
            EXPECT_EQ(gradientNoise(x, y - 512), v);
            EXPECT_LE(std::fabs(v), 1.5);
        }
    }
    EXPECT_TRUE(varies);
}

TEST(GradientNoise, OctaveSum) {
    seedGradientNoise(0);
    const double x = 0.3, y = 1.7;
    EXPECT_EQ(gradientNoiseSum(x, y, 1), gradientNoise(x, y));
    EXPECT_EQ(gradientNoiseSum(x, y, 0), 0.0);
    EXPECT_EQ(gradientNoiseSum(x, y, -3), 0.0);
}

}  // namespace
}  // namespace tev
