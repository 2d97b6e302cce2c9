// The TGA reader up to its upload, against the memory budget: pictures are
// bound by what the show can use, not by the length of their files.

#include <gtest/gtest.h>

#include <filesystem>

#include "assets/picture_budget.h"
#include "assets/tga_loader.h"
#include "portable/little_endian.h"
#include "temp_dir.h"

namespace tev {
namespace {

using test::TempDir;

std::vector<uint8_t> tgaHeader(int16_t w, int16_t h, uint8_t depth) {
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    putLe16(bytes, static_cast<uint16_t>(w));
    putLe16(bytes, static_cast<uint16_t>(h));
    bytes.push_back(depth);
    bytes.push_back(0);
    return bytes;
}

class TgaBudget : public ::testing::Test {
  protected:
    void SetUp() override { pictureBudget().restart(); }
    void TearDown() override { pictureBudget().restart(); }

    // A file of the header and `data`, made `length` bytes long (a hole at
    // its end) when that is longer.
    TgaDecode decode(int16_t w, int16_t h, uint8_t depth, const std::vector<uint8_t>& data,
                     uint64_t length = 0) {
        auto bytes = tgaHeader(w, h, depth);
        bytes.insert(bytes.end(), data.begin(), data.end());
        path = dir.write("image.tga", bytes);
        if (length > bytes.size()) std::filesystem::resize_file(path, length);
        return decodeTga(texture, path.c_str(), false);
    }

    TempDir dir;
    std::string path;
    Texture texture;
};

TEST_F(TgaBudget, PicturesOverTheLargestSideAreRefusedWithTheirSizesKept) {
    pictureBudget().restart(32);
    EXPECT_EQ(decode(32, 2, 24, std::vector<uint8_t>(192, 9)), TgaDecode::Rgba);
    EXPECT_EQ(pictureBudget().spent(), 256u);
    for (auto [w, h] : {std::pair<int16_t, int16_t>{33, 1}, {1, 33}}) {
        EXPECT_EQ(decode(w, h, 24, std::vector<uint8_t>(99, 9)), TgaDecode::Failed);
        EXPECT_EQ(texture.width, w);
        EXPECT_EQ(texture.height, h);
        EXPECT_EQ(texture.channels, 3);
        EXPECT_EQ(texture.pixels, nullptr);
    }
    EXPECT_EQ(pictureBudget().spent(), 256u);
}

TEST_F(TgaBudget, SpritesShareTheCycleTotalWithEachOtherAndThePack) {
    pictureBudget().restart(kDefaultLargestSide, 1000);
    pictureBudget().spend(600);  // what the pack's pictures took
    // 10 x 10 RGBA is 400 bytes: it fits once, whatever the file's depth.
    EXPECT_EQ(decode(10, 10, 8, std::vector<uint8_t>(768 + 100, 1)), TgaDecode::Rgba);
    EXPECT_EQ(pictureBudget().spent(), 1000u);
    EXPECT_EQ(decode(1, 1, 32, {1, 2, 3, 4}), TgaDecode::Failed);
    EXPECT_EQ(texture.pixels, nullptr);
    // An empty picture takes nothing, and depths that are not converted
    // allocate nothing: neither is refused.
    EXPECT_EQ(decode(0, 5, 32, {}), TgaDecode::Rgba);
    EXPECT_EQ(decode(4, 4, 16, std::vector<uint8_t>(32, 1)), TgaDecode::Unconverted);

    pictureBudget().restart(kDefaultLargestSide, 1000);
    EXPECT_EQ(decode(1, 1, 32, {1, 2, 3, 4}), TgaDecode::Rgba);
}

TEST_F(TgaBudget, ASparseFileOfAHugePictureIsRefusedAtOnce) {
    // 16383 x 16383 x 4 bytes claimed and as long as that: 1 GiB, a hole.
    const uint64_t length = 18 + uint64_t{16383} * 16383 * 4;
    EXPECT_EQ(decode(16383, 16383, 32, {}, length), TgaDecode::Failed);
    EXPECT_EQ(texture.width, 16383);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(pictureBudget().spent(), 0u);
    // The same within the budget is read, the hole as zeros.
    EXPECT_EQ(decode(1024, 1024, 32, {}, 18 + uint64_t{1024} * 1024 * 4), TgaDecode::Rgba);
    ASSERT_TRUE(texture.holds(4));
    EXPECT_EQ(texture.pixels[(4u << 20) - 1], 0);
}

TEST_F(TgaBudget, AFileCutShortWithinTheBudgetLoadsWithWhatItLacksZero) {
    // 3 of 1024 x 1024 pixels, whatever the depth: the rest zero, opaque
    // where the file has no alpha of its own.
    const std::vector<uint8_t> bgr = {10, 20, 30, 11, 21, 31, 12, 22, 32};
    ASSERT_EQ(decode(1024, 1024, 24, bgr), TgaDecode::Rgba);
    ASSERT_TRUE(texture.holds(4));
    EXPECT_EQ(
        std::vector<uint8_t>(texture.pixels.get(), texture.pixels.get() + 16),
        (std::vector<uint8_t>{30, 20, 10, 255, 31, 21, 11, 255, 32, 22, 12, 255, 0, 0, 0, 255}));
    EXPECT_EQ(texture.pixels[(4u << 20) - 1], 255);

    ASSERT_EQ(decode(1024, 1024, 32, bgr), TgaDecode::Rgba);
    EXPECT_EQ(std::vector<uint8_t>(texture.pixels.get(), texture.pixels.get() + 12),
              (std::vector<uint8_t>{30, 20, 10, 11, 12, 31, 21, 22, 0, 0, 32, 0}));
    EXPECT_EQ(texture.pixels[(4u << 20) - 1], 0);

    std::vector<uint8_t> gray(768 + 2, 0xEE);  // the colour map, then two pixels
    gray[768] = 5;
    gray[769] = 6;
    ASSERT_EQ(decode(1024, 1024, 8, gray), TgaDecode::Rgba);
    EXPECT_EQ(std::vector<uint8_t>(texture.pixels.get(), texture.pixels.get() + 12),
              (std::vector<uint8_t>{5, 5, 5, 255, 6, 6, 6, 255, 0, 0, 0, 255}));
}

}  // namespace
}  // namespace tev
