#include "assets/tga_loader.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gl_test.h"
#include "temp_dir.h"

namespace tev {
namespace {

using test::putLe16;
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

TEST_F(TgaLoader, ImpossibleSizesAreRejected) {
    EXPECT_EQ(load(tga(0, 4, 24, {})), -1);
    EXPECT_EQ(load(tga(-3, 4, 24, {1, 2, 3})), -1);
    EXPECT_EQ(load(tga(4, 4, 0, {})), -1);
    // 32767 x 32767 RGBA claims far more than the file holds.
    EXPECT_EQ(load(tga(32767, 32767, 32, {1, 2, 3, 4})), -1);
    EXPECT_EQ(load({1, 2, 3}), -1);  // not even a header
    EXPECT_EQ(texture.textureName, 0u);
}

}  // namespace
}  // namespace tev
