#include <gtest/gtest.h>

#include <limits>

#include "assets/embedded_image.h"
#include "assets/texture.h"

namespace tev {
namespace {

TEST(ImageSizes, RejectNonPositiveAndOverflowingProducts) {
    EXPECT_EQ(imageByteCount(2, 1, 4), 8u);
    EXPECT_EQ(imageByteCount(0, 10, 4), 0u);
    EXPECT_EQ(imageByteCount(-1, 10, 4), 0u);
    EXPECT_EQ(imageByteCount(65536, 65536, 4), 0u);
    EXPECT_EQ(imageByteCount(std::numeric_limits<int32_t>::max(), 1, 1),
              static_cast<size_t>(std::numeric_limits<int32_t>::max()));
}

TEST(Texture, FailedAllocationKeepsTheSizeAndNoBuffer) {
    Texture texture;
    EXPECT_EQ(texture.allocate(-4, 4, 1), -1);
    EXPECT_EQ(texture.width, -4);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(texture.textureName, 0u);
}

TEST(EmbeddedImage, ParsesItsHeaderAndRejectsShortRecords) {
    const uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    const auto bytes = encodeEmbeddedImage(3, 2, 1, pixels);
    ASSERT_EQ(bytes.size(), 18u);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[8], 1);
    const auto image = EmbeddedImage::parse(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3u);
    EXPECT_EQ(image->pixels[5], 6);
    EXPECT_FALSE(EmbeddedImage::parse(bytes.data(), bytes.size() - 1));
    EXPECT_FALSE(EmbeddedImage::parse(bytes.data(), 11));

    // A header whose product overflows 64 bits is not taken for a small one.
    std::vector<uint8_t> huge(12, 0xFF);
    EXPECT_FALSE(EmbeddedImage::parse(huge.data(), huge.size()));
}

}  // namespace
}  // namespace tev
