// What a draw left out by the built show still does: a skipped first cube
// fixes the size of every later cube, a skipped primitive leaves the
// current texture coordinate as the draw would, of a long text only the
// glyphs in view are sent, and a large glyph within the scissor box around
// its ink: with the same pixels and the same matrices.

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/embedded_image.h"
#include "draw/draw_context.h"
#include "embedded.h"
#include "gl_test.h"
#include "scenes/primitives.h"

namespace tev {
namespace {

class SkippedDraws : public test::GlTest {
  protected:
    DrawContext context;  // the built stream, as the show draws by default
};

std::array<float, 4> currentTexCoord() {
    std::array<float, 4> st{};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st.data());
    return st;
}

std::array<float, 3> currentNormal() {
    std::array<float, 3> n{};
    glGetFloatv(GL_CURRENT_NORMAL, n.data());
    return n;
}

std::vector<uint8_t> frame(const platform::HeadlessGl& gl) {
    return gl.readPixels();
}

TEST_F(SkippedDraws, ASkippedFirstCubeFixesTheSizeOfEveryCubeAndDrawsNothing) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4, 4, -4, 4, -4, 4);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    ASSERT_EQ(cubeList(), -1);
    skipCube(1.5f);
    EXPECT_NE(cubeList(), -1);
    for (uint8_t v : frame(*gl))
        ASSERT_EQ(v, 0) << "a skipped cube drew";
    const auto normal = currentNormal();
    const auto st = currentTexCoord();

    // A drawn cube replays the list the skipped one compiled: half-size 1.5.
    const auto vertices = test::flatten(test::captureFeedback([] { drawCube(1.0f); }));
    ASSERT_FALSE(vertices.empty());
    for (const auto& v : vertices) {
        EXPECT_NEAR(std::fabs(v.x), 1.5f, 1e-3);
        EXPECT_NEAR(std::fabs(v.y), 1.5f, 1e-3);
    }
    // And leaves what the skipped one left.
    EXPECT_EQ(currentNormal(), normal);
    EXPECT_EQ(currentTexCoord(), st);
}

TEST_F(SkippedDraws, SkippedPrimitivesLeaveTheTextureCoordinateOfTheirLastVertex) {
    float grid[5 * 3][2];
    for (int i = 0; i < 15; ++i) {
        grid[i][0] = 0.5f * i;
        grid[i][1] = -0.25f * i;
    }
    auto after = [](const std::function<void()>& draw) {
        glTexCoord2f(-9, -9);
        draw();
        return currentTexCoord();
    };
    EXPECT_EQ(after([&] { skipTexturedGrid(&grid[0][0], 5, 3); }),
              after([&] { texturedGrid(context, &grid[0][0], 5, 3, 0, 0, 1, 1, 0); }));
    EXPECT_EQ(after([] { skipTexturedQuad(0.25f, 2.0f); }), after([] {
                  glBegin(GL_QUADS);
                  texturedQuad(0.25f, 2.0f, 1, 0);
                  glEnd();
              }));
    EXPECT_EQ(after([] { skipTiledQuad(4, 3); }), after([] {
                  glBegin(GL_QUADS);
                  tiledQuad(4, 3, 1, 0);
                  glEnd();
              }));
}

class LongText : public test::GlTest {
  protected:
    void SetUp() override {
        test::GlTest::SetUp();
        const auto sheet = EmbeddedImage::parse(embedded::fontSheet, embedded::fontSheetSize);
        ASSERT_TRUE(sheet);
        font.build(*sheet);
    }

    struct Result {
        std::vector<uint8_t> pixels;
        std::array<float, 4> st;
        std::array<float, 16> modelview;
        uint64_t skipped;
    };

    // The text drawn as one mode sends it, over a 90-degree view in which
    // it starts near the left edge and runs far past the right one; after
    // `before`, drawn at alpha 0, when there is one.
    Result draw(bool literal, const std::string& text, float x, float scale, float alpha,
                const std::string& before = "") {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(90, 1, 1, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(x, -5, -40);
        glRotatef(20, 0, 1, 0);
        context.stream = literal ? GlStream::Literal : GlStream::Built;
        const uint64_t skippedBefore = context.counts.skippedGeometry;
        glTexCoord2f(-9, -9);
        currentTexCoord();  // the literal stream never leaves one pending
        if (!before.empty()) font.draw(context, false, 0, 0, before.c_str(), scale, scale, 0.0f);
        font.draw(context, false, 0, 0, text.c_str(), scale, scale, alpha);
        context.stream = GlStream::Built;
        Result r{frame(*gl), currentTexCoord(), {}, context.counts.skippedGeometry - skippedBefore};
        glGetFloatv(GL_MODELVIEW_MATRIX, r.modelview.data());
        return r;
    }

    BitmapFont font;
    DrawContext context;
};

TEST_F(LongText, OnlyTheGlyphsInViewAreSentWithTheSamePixels) {
    std::string text;
    for (int i = 0; i < 246; ++i)
        text += static_cast<char>('a' + i % 26);
    for (float x : {-70.0f, -30.0f, 0.0f, 25.0f}) {
        SCOPED_TRACE("x = " + std::to_string(x));
        const Result literal = draw(true, text, x, 0.5f, 0.6f);
        const Result built = draw(false, text, x, 0.5f, 0.6f);
        EXPECT_EQ(literal.skipped, 0u);
        EXPECT_GT(built.skipped, 150u);
        EXPECT_EQ(built.pixels, literal.pixels);
        EXPECT_EQ(built.st, literal.st);
        EXPECT_EQ(built.modelview, literal.modelview);
    }
    // Wholly out of view, ending in codes that have no list of their own.
    const std::string tail = text + "\xf5\xf9";
    const Result literal = draw(true, tail, 200.0f, 1.0f, 0.6f);
    const Result built = draw(false, tail, 200.0f, 1.0f, 0.6f);
    EXPECT_EQ(built.skipped, 246u);
    EXPECT_EQ(built.pixels, literal.pixels);
    EXPECT_EQ(built.st, literal.st);
}

TEST_F(LongText, BlankGlyphsAreLeftOutWithTheSamePixels) {
    // Spaces (and the no-break space) are blank cells; the glyphs around
    // them and the hollow boxes of control codes are not, nor are codes
    // without a list. Both a short text and one ending in a space.
    for (const std::string text : {"a b\xa0\x01 c", "to  the end "}) {
        SCOPED_TRACE(text);
        const Result literal = draw(true, text, -10.0f, 1.0f, 0.6f);
        const Result built = draw(false, text, -10.0f, 1.0f, 0.6f);
        size_t blanks = 0;
        for (char c : text)
            blanks += (c == ' ' || c == '\xa0');
        EXPECT_EQ(built.skipped, blanks);
        EXPECT_EQ(built.pixels, literal.pixels);
        EXPECT_EQ(built.st, literal.st);
        EXPECT_EQ(built.modelview, literal.modelview);
    }
}

TEST_F(LongText, LargeGlyphsAreDrawnWithinTheBoxAroundTheirInkWithTheSamePixels) {
    // Every code with a list, one glyph at a time, each 64 units tall at
    // depth 40 (about 100 pixels here), turned away by 20 degrees.
    uint64_t scissored = 0;
    for (int code = 1; code < 240; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const std::string text(1, static_cast<char>(code));
        const Result literal = draw(true, text, -32.0f, 4.0f, 0.8f);
        const uint64_t before = context.counts.scissoredGlyphs;
        const Result built = draw(false, text, -32.0f, 4.0f, 0.8f);
        scissored += context.counts.scissoredGlyphs - before;
        ASSERT_EQ(built.pixels, literal.pixels);
        EXPECT_EQ(built.st, literal.st);
        EXPECT_EQ(built.modelview, literal.modelview);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{0, 0, kWidth, kHeight}));
    }
    // Letters, digits and signs leave most of their cell black.
    EXPECT_GT(scissored, 150u);
    // Small text is sent without the box.
    const uint64_t before = context.counts.scissoredGlyphs;
    draw(false, "small text", -10.0f, 0.25f, 0.8f);
    EXPECT_EQ(context.counts.scissoredGlyphs, before);
}

TEST_F(LongText, GlyphsSentOneByOneAfterALeftOutTextLeaveTheirOwnCoordinate) {
    // The text at alpha 0 leaves a texture coordinate set outside
    // glBegin / glEnd in the built show; the large glyphs after it are sent
    // one list at a time, each within its ink.
    for (const std::string text : {"W", "Wo", "a W"}) {
        SCOPED_TRACE(text);
        const Result literal = draw(true, text, -60.0f, 4.0f, 0.8f, "mirror");
        const uint64_t before = context.counts.scissoredGlyphs;
        const Result built = draw(false, text, -60.0f, 4.0f, 0.8f, "mirror");
        EXPECT_GT(context.counts.scissoredGlyphs, before);
        EXPECT_EQ(built.pixels, literal.pixels);
        EXPECT_EQ(built.st, literal.st);
        EXPECT_EQ(built.modelview, literal.modelview);
    }
}

TEST_F(LongText, AScissorBoxAlreadyInUseIsLeftAlone) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(10, 20, 100, 90);
    const Result literal = draw(true, "104.37", -90.0f, 4.0f, 0.8f);
    const uint64_t before = context.counts.scissoredGlyphs;
    const Result built = draw(false, "104.37", -90.0f, 4.0f, 0.8f);
    EXPECT_EQ(context.counts.scissoredGlyphs, before);
    EXPECT_EQ(built.pixels, literal.pixels);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 20, 100, 90}));
    glDisable(GL_SCISSOR_TEST);
}

TEST_F(LongText, TextAtAlphaZeroSendsNoGlyphButLeavesTheSameState) {
    const Result literal = draw(true, "mirror", 0.0f, 1.0f, 0.0f);
    const Result built = draw(false, "mirror", 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(built.skipped, 1u);
    EXPECT_EQ(built.pixels, literal.pixels);
    EXPECT_EQ(built.st, literal.st);
    EXPECT_EQ(built.modelview, literal.modelview);
}

}  // namespace
}  // namespace tev
