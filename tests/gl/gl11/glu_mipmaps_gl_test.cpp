// The mipmap levels computed without GL against the levels the real libGLU
// builds in Mesa: gluBuild2DMipmaps, then every level read back with
// glGetTexImage, byte for byte, for luminance and RGBA sources of many
// shapes, every unpack alignment, ramps and random bytes.

#include "gl11/glu_mipmaps.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "gl_test.h"

namespace tev::gl11 {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

struct GlLevel {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// What GL holds after GLU built the mipmaps of `source` (rows padded to
// `alignment`).
std::vector<GlLevel> builtByGlu(int components, int width, int height,
                                const std::vector<uint8_t>& source, int alignment) {
    const GLenum format = components == 1 ? GL_LUMINANCE : GL_RGBA;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE,
                                source.data()),
              0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    int maxLevels = 1;  // asking past the last level GL can hold is an error
    while ((1 << maxLevels) <= maxSize)
        ++maxLevels;
    std::vector<GlLevel> levels;
    for (int level = 0; level < maxLevels; ++level) {
        GlLevel got;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &got.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &got.height);
        if (got.width == 0 || got.height == 0) break;
        got.pixels.resize(static_cast<size_t>(got.width) * got.height * components);
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, got.pixels.data());
        levels.push_back(std::move(got));
    }
    glDeleteTextures(1, &name);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return levels;
}

std::vector<uint8_t> makeSource(int components, int width, int height, int alignment, bool random,
                                uint32_t seed) {
    const size_t row = static_cast<size_t>(width) * components;
    const size_t stride = (row + alignment - 1) / alignment * alignment;
    std::vector<uint8_t> source(stride * height, 0xEE);  // padding GLU must skip
    std::mt19937 generator(seed);
    for (int y = 0; y < height; ++y) {
        for (size_t b = 0; b < row; ++b) {
            source[y * stride + b] = random ? static_cast<uint8_t>(generator() >> 24)
                                            : static_cast<uint8_t>(y * 37 + b * 11 + b / 3);
        }
    }
    return source;
}

class GluMipmaps : public test::GlTest {
  protected:
    // Compares every level; counts the levels GL read at a padded stride.
    void compare(int components, int width, int height, int alignment, bool random) {
        SCOPED_TRACE(testing::Message()
                     << components << " components, " << width << " x " << height << ", alignment "
                     << alignment << (random ? ", random" : ", ramp"));
        const std::vector<uint8_t> source =
            makeSource(components, width, height, alignment, random, width * 131 + height);
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        const std::vector<MipLevel> got =
            gluMipmapLevels(components, width, height, source.data(), alignment, maxSize);
        // Where GLU hands GL a level with rows shorter than the alignment,
        // GL reads past GLU's buffer: AddressSanitizer stops the process
        // inside libGLU. Those cases are compared in the ordinary build.
        const bool gluReadsPastItsBuffer = std::any_of(
            got.begin(), got.end(), [](const MipLevel& l) { return l.exactRows < l.height; });
        if (kUnderAddressSanitizer && gluReadsPastItsBuffer) return;
        const std::vector<GlLevel> expected =
            builtByGlu(components, width, height, source, alignment);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t level = 0; level < got.size(); ++level) {
            SCOPED_TRACE(testing::Message() << "level " << level);
            ASSERT_EQ(got[level].width, expected[level].width);
            ASSERT_EQ(got[level].height, expected[level].height);
            ASSERT_EQ(got[level].pixels.size(), expected[level].pixels.size());
            if (got[level].exactRows < got[level].height) ++readAtStride;
            // Rows GL read past GLU's own buffer hold whatever lay there.
            const size_t exactBytes =
                static_cast<size_t>(got[level].exactRows) * got[level].width * components;
            for (size_t i = 0; i < exactBytes; ++i) {
                ASSERT_EQ(int(got[level].pixels[i]), int(expected[level].pixels[i]))
                    << "byte " << i << " (pixel " << i / components << ")";
            }
        }
    }
    int readAtStride = 0;
};

TEST_F(GluMipmaps, EveryLevelAsLibGluBuildsItForEveryShapeAndAlignment) {
    const int sizes[][2] = {{64, 64}, {64, 4},   {4, 64}, {1, 32},  {32, 1},   {48, 20},
                            {3, 5},   {5, 3},    {1, 1},  {2, 1},   {1, 2},    {7, 1},
                            {1, 7},   {100, 37}, {6, 6},  {256, 3}, {17, 129}, {2, 2}};
    for (int components : {1, 4}) {
        for (const auto& size : sizes) {
            for (int alignment : {1, 2, 4, 8}) {
                for (bool random : {false, true}) {
                    compare(components, size[0], size[1], alignment, random);
                    if (HasFatalFailure()) return;
                }
            }
        }
    }
    // GLU hands its first computed level to GL with the caller's alignment
    // though its rows are packed (a narrow luminance level under alignment
    // 4, for one): those levels were compared as GL read them.
    if (!kUnderAddressSanitizer) {
        EXPECT_GT(readAtStride, 0);
    }
}

TEST_F(GluMipmaps, ASourceLargerThanGlAcceptsIsScaledDownFirst) {
    // 30000 rounds to 32768, whose level 1 is larger than Mesa takes: GLU
    // halves both sides until level 1 fits, then scales the source down.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_LT(maxSize, 32768) << "this Mesa takes larger textures: the case needs a wider source";
    compare(1, 30000, 1, 1, true);
    compare(4, 30000, 2, 4, false);
}

TEST(GluMipmapsInput, BadInputGivesNoLevelsAndReadsNothing) {
    const uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_TRUE(gluMipmapLevels(1, 0, 4, pixel, 4, 2048).empty());
    EXPECT_TRUE(gluMipmapLevels(1, 4, -1, pixel, 4, 2048).empty());
    EXPECT_TRUE(gluMipmapLevels(0, 1, 1, pixel, 4, 2048).empty());
    EXPECT_TRUE(gluMipmapLevels(5, 1, 1, pixel, 4, 2048).empty());
    EXPECT_TRUE(gluMipmapLevels(1, 1, 1, nullptr, 4, 2048).empty());
    EXPECT_TRUE(gluMipmapLevels(1, 1, 1, pixel, 3, 2048).empty());
    EXPECT_TRUE(gluMipmapLevels(1, 1, 1, pixel, 4, 0).empty());
    // Sizes whose bytes GL could not even count: refused before any read.
    EXPECT_TRUE(gluMipmapLevels(4, 1 << 30, 1 << 30, pixel, 4, 1 << 30).empty());
    EXPECT_TRUE(gluMipmapLevels(1, 1 << 20, 1 << 12, pixel, 1, 2048).empty());
    // The smallest: one pixel is its only level.
    const std::vector<MipLevel> one = gluMipmapLevels(4, 1, 1, pixel, 4, 2048);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].pixels, std::vector<uint8_t>(pixel, pixel + 4));
    // A GL that takes nothing larger than 1 x 1 still gets 1 x 1.
    const uint8_t four[4] = {0, 100, 200, 255};
    const std::vector<MipLevel> tiny = gluMipmapLevels(1, 4, 1, four, 1, 1);
    ASSERT_EQ(tiny.size(), 1u);
    EXPECT_EQ(tiny[0].width, 1);
    EXPECT_EQ(tiny[0].height, 1);
}

}  // namespace
}  // namespace tev::gl11
