#include "assets/tga_loader.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "assets/picture_budget.h"
#include "gl_test.h"
#include "portable/little_endian.h"
#include "temp_dir.h"

namespace tev {
namespace {

using test::TempDir;

std::vector<uint8_t> tga(int16_t w, int16_t h, uint8_t depth, const std::vector<uint8_t>& data,
                         bool withMap = false) {
    std::vector<uint8_t> bytes = {0, 0, 2};
    putLe16(bytes, 0);
    putLe16(bytes, 0);
    bytes.push_back(0);
    putLe16(bytes, 0);
    putLe16(bytes, 0);
    putLe16(bytes, static_cast<uint16_t>(w));
    putLe16(bytes, static_cast<uint16_t>(h));
    bytes.push_back(depth);
    bytes.push_back(0);
    if (withMap) bytes.resize(bytes.size() + 768, 0xEE);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

class TgaLoader : public test::GlTest {
  protected:
    void SetUp() override {
        test::GlTest::SetUp();
        pictureBudget().restart();
    }
    void TearDown() override {
        pictureBudget().restart();
        test::GlTest::TearDown();
    }
    int load(const std::vector<uint8_t>& bytes, bool key = false) {
        path = dir.write("image.tga", bytes);
        return loadTga(texture, path.c_str(), key);
    }
    std::vector<uint8_t> uploaded() {
        std::vector<uint8_t> rgba(static_cast<size_t>(texture.width) * texture.height * 4);
        glBindTexture(GL_TEXTURE_2D, texture.textureName);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }
    TempDir dir;
    std::string path;
    Texture texture;
};

TEST_F(TgaLoader, TwentyFourBitPixelsBecomeRgbaAndAreUploaded) {
    const int name = load(tga(2, 1, 24, {10, 20, 30, 1, 2, 3}));
    ASSERT_GT(name, 0);
    EXPECT_EQ(static_cast<GLuint>(name), texture.textureName);
    EXPECT_EQ(texture.channels, 4);
    EXPECT_EQ(texture.path, path.c_str());
    EXPECT_EQ(uploaded(), (std::vector<uint8_t>{30, 20, 10, 255, 3, 2, 1, 255}));
}

TEST_F(TgaLoader, ColourKeyClearsNearBlackAndOverridesFileAlpha) {
    // Power-of-two sizes: GLU would rescale others before the upload.
    ASSERT_GT(load(tga(4, 1, 32, {3, 3, 3, 200, 0, 0, 4, 0, 9, 9, 9, 7, 0, 0, 0, 0}), true), 0);
    const auto rgba = uploaded();
    EXPECT_EQ(rgba[3], 0);     // (3, 3, 3)
    EXPECT_EQ(rgba[7], 255);   // red 4
    EXPECT_EQ(rgba[11], 255);  // the file's alpha 7 is replaced
    EXPECT_EQ(rgba[15], 0);
    ASSERT_GT(load(tga(1, 1, 32, {9, 9, 9, 7}), false), 0);
    EXPECT_EQ(uploaded()[3], 7);  // without the key the file's alpha stays
}

TEST_F(TgaLoader, EightBitFilesSkipTheirMapAndBecomeGray) {
    ASSERT_GT(load(tga(2, 1, 8, {40, 41}, true)), 0);
    EXPECT_EQ(uploaded(), (std::vector<uint8_t>{40, 40, 40, 255, 41, 41, 41, 255}));
    // Without a map, the first 768 pixel bytes are lost to the skip.
    std::vector<uint8_t> raw(768 + 2, 1);
    raw[768] = 90;
    raw[769] = 91;
    ASSERT_GT(load(tga(2, 1, 8, raw)), 0);
    EXPECT_EQ(uploaded()[4], 91);
}

TEST_F(TgaLoader, SixteenBitFilesAreReadButNotUploaded) {
    texture.textureName = 4242;
    EXPECT_EQ(load(tga(1, 1, 16, {1, 2})), 4242);
    EXPECT_EQ(texture.channels, 2);
}

TEST_F(TgaLoader, MissingFileLeavesTheNameAlone) {
    texture.textureName = 7;
    EXPECT_EQ(loadTga(texture, dir.file("none.tga").c_str(), false), -1);
    EXPECT_EQ(texture.textureName, 7u);
}

TEST_F(TgaLoader, OnlyARegularFileIsOpened) {
    alarm(20);  // opening a FIFO for reading would wait for a writer for ever
    const auto fifo = dir.file("fifo.tga");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    texture.textureName = 7;
    for (const std::string& path : {fifo, dir.path().string(), std::string("/dev/zero")}) {
        EXPECT_EQ(loadTga(texture, path.c_str(), false), -1) << path;
    }
    alarm(0);
    EXPECT_EQ(texture.textureName, 7u);
}

TEST_F(TgaLoader, TruncatedFileKeepsZerosForWhatItLacks) {
    ASSERT_GT(load(tga(2, 2, 24, {1, 2, 3, 4, 5, 6, 7})), 0);  // 7 of 12 bytes
    const auto rgba = uploaded();
    EXPECT_EQ(rgba[0], 3);
    EXPECT_EQ(rgba[4], 6);
    EXPECT_EQ(rgba[6], 4);
    // Pixel 2 had only its blue byte; the rest of the image is zero.
    EXPECT_EQ((std::vector<uint8_t>(rgba.begin() + 8, rgba.end())),
              (std::vector<uint8_t>{0, 0, 7, 255, 0, 0, 0, 255}));
}

TEST_F(TgaLoader, TheShowsOwnLeafCutShortLoadsAndUploadsWithWhatItLacksZero) {
    // The sprite as the show has it (the tests run beside the show's data).
    const auto whole = test::readFile("data/leaf.tga");
    ASSERT_GT(whole.size(), 19u + 18u);
    ASSERT_GT(load(whole, true), 0);
    const auto full = uploaded();
    ASSERT_EQ(texture.width * texture.height * 3 + 18, static_cast<int>(whole.size()));

    // 19 bytes short: the last six pixels and the red byte of the one
    // before them are gone, black there, and so transparent under the key.
    const auto cut = std::vector<uint8_t>(whole.begin(), whole.end() - 19);
    const int name = load(cut, true);
    ASSERT_GT(name, 0);
    EXPECT_EQ(static_cast<GLuint>(name), texture.textureName);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
    const auto rgba = uploaded();
    ASSERT_EQ(rgba.size(), full.size());
    const size_t kept = full.size() - 7 * 4;
    EXPECT_TRUE(std::equal(full.begin(), full.begin() + kept, rgba.begin()));
    EXPECT_EQ(rgba[kept], 0);                   // red, not read
    EXPECT_EQ(rgba[kept + 1], full[kept + 1]);  // green and blue were
    EXPECT_EQ(std::vector<uint8_t>(rgba.end() - 24, rgba.end()), std::vector<uint8_t>(24, 0));
}

TEST_F(TgaLoader, EachCycleTakesTheLargestSideOfItsContextAndTheWholeTotal) {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    ASSERT_GT(side, 0);
    pictureBudget().restart(8, 100);
    pictureBudget().spend(100);
    startPictureCycle();
    EXPECT_EQ(pictureBudget().largestSide(), side);
    EXPECT_EQ(pictureBudget().total(), kPictureBudgetBytes);
    EXPECT_EQ(pictureBudget().spent(), 0u);
}

// Whatever a file does to a record, its buffer holds what its sizes claim
// or it has none, and uploading it reads nothing beyond the buffer.
void expectSafe(const Texture& texture) {
    if (texture.pixels) {
        EXPECT_GE(texture.pixels.size(), texture.byteCount());
    }
}

TEST_F(TgaLoader, EveryEarlyReturnLeavesARecordThatIsSafeToUpload) {
    const auto good = tga(2, 2, 32, std::vector<uint8_t>(16, 200));
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int result;  // 0: the previous name; 1: a new name; -1
        int32_t width, height, channels;
    };
    const Case cases[] = {
        // Read, not converted, nothing uploaded: the previous name comes back.
        {"depth 7", tga(4, 4, 7, {}), 0, 4, 4, 0},
        {"depth 40", tga(8, 8, 40, std::vector<uint8_t>(320, 1)), 0, 8, 8, 5},
        {"depth 16", tga(1, 1, 16, {1, 2}), 0, 1, 1, 2},
        {"three bytes: the header lacks the rest", {1, 2, 3}, 0, 0, 0, 0},
        // An empty picture is converted and uploaded as one.
        {"width 0", tga(0, 4, 24, {}), 1, 0, 4, 4},
        // A size that can't be allocated: only the depth was taken.
        {"negative width", tga(-3, 4, 24, {1, 2, 3}), -1, 2, 2, 3},
        // Over the memory budget: refused, the sizes kept, no pixels.
        {"over the largest side", tga(32767, 32767, 32, {1, 2, 3, 4}), -1, 32767, 32767, 4},
        {"over the total", tga(16384, 16384, 24, {1, 2, 3}), -1, 16384, 16384, 3},
        // Not converted, so nothing is allocated: not refused.
        {"more pixels than the file at 40 bits", tga(300, 300, 40, {1}), 0, 300, 300, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pictureBudget().restart();
        texture = Texture();
        ASSERT_GT(load(good), 0);
        const auto previous = static_cast<int>(texture.textureName);
        const int result = load(c.file);
        if (c.result == 1) {
            EXPECT_GT(result, previous);
        } else {
            EXPECT_EQ(result, c.result == 0 ? previous : -1);
        }
        EXPECT_EQ(texture.width, c.width);
        EXPECT_EQ(texture.height, c.height);
        EXPECT_EQ(texture.channels, c.channels);
        expectSafe(texture);
        texture.uploadMipmapped();  // what the show does with it next
        EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
    }
}

}  // namespace
}  // namespace tev
