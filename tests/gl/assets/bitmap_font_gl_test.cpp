#include "assets/bitmap_font.h"

#include <GL/gl.h>

#include <cmath>

#include "gl_test.h"

namespace tev {
namespace {

// A sheet whose every pixel names its own glyph cell: the value is
// 16 * (cell row from the top) + column, stored bottom-up like the real one.
std::vector<uint8_t> cellSheet() {
    std::vector<uint8_t> pixels(512 * 512);
    for (int y = 0; y < 512; ++y) {
        const int rowFromTop = 15 - y / 32;
        for (int x = 0; x < 512; ++x)
            pixels[y * 512 + x] = static_cast<uint8_t>(rowFromTop * 16 + x / 32);
    }
    return encodeEmbeddedImage(512, 512, 1, pixels.data());
}

class FontGl : public test::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        sheetBytes = cellSheet();
        font.build(*EmbeddedImage::parse(sheetBytes.data(), sheetBytes.size()));
    }
    std::vector<uint8_t> sheetBytes;
    BitmapFont font;
    DrawContext context;  // the built stream, as the show draws by default
};

TEST_F(FontGl, BuildMakesTheSheetTextureAndTheLists) {
    EXPECT_NE(font.fontTexture, 0u);
    EXPECT_TRUE(glIsList(font.listBase));
    EXPECT_TRUE(glIsList(font.listBase + 255));
    EXPECT_EQ(font.advance, 8.0f);
}

TEST_F(FontGl, LetterAtItsPlaceShowsItsOwnCell) {
    const auto quad = test::flatten(
        test::captureFeedback([&] { font.draw(context, false, 100, 50, "A", 1, 1, 1); }));
    ASSERT_EQ(quad.size(), 6u);
    float minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9, sumS = 0, sumT = 0;
    for (const auto& v : quad) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
        sumS += v.s;
        sumT += v.t;
    }
    EXPECT_NEAR(minX, 100, 1e-3);
    EXPECT_NEAR(maxX, 116, 1e-3);
    EXPECT_NEAR(minY, 50, 1e-3);
    EXPECT_NEAR(maxY, 66, 1e-3);
    // Sample the sheet at the quad's texture centre, with the repeat wrap:
    // it must be the cell of code 65 (row 4 from the top, column 1).
    const float s = std::fmod(sumS / 6, 1.0f), t = std::fmod(sumT / 6, 1.0f);
    const auto image = EmbeddedImage::parse(sheetBytes.data(), sheetBytes.size());
    const int px = static_cast<int>(s * 512), py = static_cast<int>(t * 512);
    EXPECT_EQ(image->pixels[py * 512 + px], 65);
}

TEST_F(FontGl, CentredTextStartsHalfItsScaledWidthLeftOfX) {
    const auto quads = test::flatten(
        test::captureFeedback([&] { font.draw(context, true, 0, 0, "0123456789", 2, 1, 1); }));
    ASSERT_EQ(quads.size(), 60u);
    float minX = 1e9;
    for (const auto& v : quads)
        minX = std::min(minX, v.x);
    EXPECT_NEAR(minX, -80, 1e-3);  // 10 glyphs * 8 units * 0.5 * x-scale 2
}

TEST_F(FontGl, EmptyTextDrawsNothingButSetsTheState) {
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    EXPECT_TRUE(
        test::captureFeedback([&] { font.draw(context, true, 5, 5, "", 1, 1, 1); }).empty());
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint src = 0, dst = 0, bound = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(static_cast<GLuint>(bound), font.fontTexture);
}

TEST_F(FontGl, DrawingAddsTheGlyphToTheFrame) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    font.draw(context, false, 0, 0, "A", 4, 4, 0.5f);  // a 64 x 64 quad of luminance 65
    const auto pixel = pixelAt(32, kHeight - 32);
    EXPECT_NEAR(pixel[0], 65 / 2, 2);
}

using FontInk = test::GlTest;

TEST_F(FontInk, ABlankGlyphIsOneWhoseQuadCanSampleNoInk) {
    // Black but for three texels, in the band of lists 32 to 47 (texel rows
    // 448 to 479 of the bottom-up sheet; list i's cell starts at column
    // 32 * (i mod 16)). Linear filtering reaches two texels beyond a cell.
    std::vector<uint8_t> pixels(512 * 512, 0);
    auto ink = [&](int x, int y) { pixels[y * 512 + x] = 200; };
    ink(254, 460);  // in list 39's cell, two texels left of list 40's
    ink(317, 460);  // in list 41's cell, three texels left of list 42's
    ink(360, 450);  // inside list 43's cell
    const auto bytes = encodeEmbeddedImage(512, 512, 1, pixels.data());
    BitmapFont font;
    font.build(*EmbeddedImage::parse(bytes.data(), bytes.size()));

    EXPECT_FALSE(font.blankGlyph(39));
    // Its quad can sample the texel beside it, so it is not blank, though
    // no part of the quad itself lies over ink.
    EXPECT_FALSE(font.blankGlyph(40));
    EXPECT_TRUE(font.blankGlyph(42));  // three texels is out of reach
    EXPECT_FALSE(font.blankGlyph(43));
    EXPECT_TRUE(font.blankGlyph(44));
    EXPECT_EQ(font.inkBox(44).x1, 0.0f);
    EXPECT_EQ(font.inkBox(44).y1, 0.0f);
    // The box around list 43's ink (texel centre 8.5 and 2.5 texels into its
    // cell: 4.25 and 1.25 quad units) is a little over a texel each way.
    const BitmapFont::InkBox& box = font.inkBox(43);
    EXPECT_LT(box.x0, 4.25f);
    EXPECT_GT(box.x1, 4.25f);
    EXPECT_LT(box.y0, 1.25f);
    EXPECT_GT(box.y1, 1.25f);
    EXPECT_LT(box.x1 - box.x0, 2.0f);
    EXPECT_LT(box.y1 - box.y0, 2.0f);
    for (GLuint list : {0u, 16u, 100u, 255u})
        EXPECT_TRUE(font.blankGlyph(list)) << list;
}

}  // namespace
}  // namespace tev
