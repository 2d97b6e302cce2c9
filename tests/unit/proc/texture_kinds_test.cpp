#include <gtest/gtest.h>

#include <vector>

#include "proc/crt_random.h"
#include "proc/exact_math.h"
#include "proc/noise.h"
#include "proc/texture_kinds.h"

namespace tev {
namespace {

TEST(TextureKinds, BadKindOrBufferWritesNothing) {
    EXPECT_FALSE(textureKindFromNumber(0));
    EXPECT_FALSE(textureKindFromNumber(6));
    EXPECT_TRUE(fillTextureKind(static_cast<TextureKind>(9)).empty());
    std::vector<uint8_t> small(100, 7);
    EXPECT_FALSE(fillTextureKind(TextureKind::RadialFalloff, small));
    EXPECT_EQ(small, std::vector<uint8_t>(100, 7));
}

TEST(TextureKinds, ByteConversionTruncatesAndWraps) {
    EXPECT_EQ(byteOf(300.0), 44);
    EXPECT_EQ(byteOf(-10.0), 246);
    EXPECT_EQ(byteOf(300.9), 44);
    EXPECT_EQ(byteOf(-10.9), 246);  // toward zero, not down
    EXPECT_EQ(byteOf(1e300), 255);  // saturates before the low byte is taken
    EXPECT_EQ(byteOf(std::nan("")), 0);
    EXPECT_EQ(clampedByte(-0.5), 0);
    EXPECT_EQ(clampedByte(7.0), 255);
}

TEST(TextureKinds, DiscProfileCornersAndSymmetry) {
    const std::vector<uint8_t> disc = fillTextureKind(TextureKind::RadialFalloff);
    auto at = [&](int column, int row) { return disc[row * 256 + column]; };
    const int xs[] = {0, 64, 100, 110, 120, 125, 126, 127};
    const int expected[] = {255, 254, 225, 185, 101, 33, 17, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(at(128 + xs[i], 128), expected[i]) << "x = " << xs[i];
        EXPECT_EQ(at(128, 128 + xs[i]), expected[i]) << "y = " << xs[i];
    }
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(255, 0), 0);
    EXPECT_EQ(at(0, 255), 0);
    EXPECT_EQ(at(255, 255), 0);
    for (int row = 1; row < 256; ++row) {
        for (int column = 1; column < 256; ++column) {
            ASSERT_EQ(at(column, row), at(256 - column, row));
            ASSERT_EQ(at(column, row), at(column, 256 - row));
        }
    }
}

TEST(TextureKinds, LatticeBandsWrapTheirProduct) {
    const std::vector<uint8_t> bands = fillTextureKind(TextureKind::LatticeBands);
    int wrapped = 0;
    for (int y = 0; y < 256; y += 3) {
        for (int x = 0; x < 256; x += 5) {
            const double product =
                static_cast<double>(latticeScaleSum(static_cast<float>(x), static_cast<float>(y))) *
                smoothLatticeNoise(x / 8, y / 8) * 255;
            if (product < 0 || product > 255) ++wrapped;
            ASSERT_EQ(bands[y * 256 + x], byteOf(product)) << x << ", " << y;
        }
    }
    EXPECT_GT(wrapped, 0);  // the check above covered the wrap
}

TEST(TextureKinds, SineNoiseAlphaAndChannelBounds) {
    const std::vector<uint8_t> rgba = fillTextureKind(TextureKind::SineNoiseRgba);
    bool anyBright = false;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_EQ(rgba[i + 3], 255);
        ASSERT_LE(rgba[i + 2], 53);
        ASSERT_LE(rgba[i + 1], 178);
        ASSERT_GE(rgba[i], rgba[i + 1]);
        ASSERT_GE(rgba[i + 1], rgba[i + 2]);
        anyBright = anyBright || rgba[i] == 255;
    }
    EXPECT_TRUE(anyBright);
}

TEST(TextureKinds, GradientNoiseIsReproducibleAndReseeds) {
    srand(12345);
    const std::vector<uint8_t> first = fillTextureKind(TextureKind::GradientNoiseRgba);
    const uint32_t stateAfter = randState();
    seedGradientNoise(7);  // disturb the tables and the random state
    EXPECT_EQ(fillTextureKind(TextureKind::GradientNoiseRgba), first);
    EXPECT_EQ(randState(), stateAfter);
    seedGradientNoise(0);
    EXPECT_EQ(randState(), stateAfter);
    for (size_t i = 0; i < first.size(); i += 4) {
        ASSERT_EQ(first[i + 3], 255);
        ASSERT_LE(first[i + 2], 112);  // 0.7 * 0.63 * 255
    }
}

}  // namespace
}  // namespace tev
