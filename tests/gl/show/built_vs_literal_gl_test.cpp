// The show as built against the literal GL stream: every frame of the whole
// show drawn both ways from the same state gives the same pixels, the same
// GL state and the same kept values, while the built show leaves out draws
// where it should. Small and at 10 fps for every frame; at the show's own
// size once a second, where its magnified textures go with linear
// minification.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "draw/draw_context.h"
#include "gl_state_digest.h"
#include "scenes/primitives.h"
#include "show/offline_show.h"
#include "show/show.h"

namespace tev {
namespace {

// The GL state at each block boundary of the frame being drawn: what each
// block hands on to the next.
std::vector<std::vector<float>> boundaryStates;
void noteBoundary(int block) {
    boundaryStates.push_back(glStateDigest());
    boundaryStates.back().push_back(static_cast<float>(block));
}

struct Drawn {
    std::vector<uint8_t> pixels;
    std::vector<std::vector<float>> glStates;
    ShowStateSnapshot state;
    uint64_t cubes;
};

// Keeps the GL state of the moment (attributes and the three matrices) so
// that a frame can be drawn again from the very state it started from.
const GLenum kMatrixModes[3] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE};
GLfloat savedMatrices[3][16];

void saveGlState() {
    const GLenum matrices[3] = {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX};
    for (int i = 0; i < 3; ++i)
        glGetFloatv(matrices[i], savedMatrices[i]);
    glPushAttrib(GL_ALL_ATTRIB_BITS);  // this keeps the matrix mode too
}
void restoreGlState() {
    for (int i = 0; i < 3; ++i) {
        glMatrixMode(kMatrixModes[i]);
        glLoadMatrixf(savedMatrices[i]);
    }
    glPopAttrib();
}

Drawn drawNext(OfflineShow& show, bool literal) {
    boundaryStates.clear();
    setBlockHook(noteBoundary);
    show.drawNextFrame(literal ? GlStream::Literal : GlStream::Built);
    setBlockHook(nullptr);
    Drawn d{show.readPixels(), boundaryStates, ShowStateSnapshot::take(), cubeDrawCount()};
    return d;
}

// Where two frames' GL states first part: the block boundary (the block
// about to run) and the place in the digest.
std::string whereStatesDiffer(const std::vector<std::vector<float>>& a,
                              const std::vector<std::vector<float>>& b) {
    if (a.size() != b.size()) return " (a different number of blocks)";
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k] == b[k]) continue;
        for (size_t i = 0; i < a[k].size() && i < b[k].size(); ++i) {
            if (a[k][i] != b[k][i]) {
                return " (before block " + std::to_string(a[k].back()) + ", value " +
                       std::to_string(i) + ": " + std::to_string(a[k][i]) + " literal, " +
                       std::to_string(b[k][i]) + " built)";
            }
        }
    }
    return "";
}

// What drawing the whole show both ways found.
struct Comparison {
    int frames = 0;
    bool ended = false;
    std::map<int, uint64_t> skippedBySecond;  // draws left out, per whole second
    uint64_t linearMinified = 0;
    uint64_t scissored = 0;
};

// Draws every frame of the show at width x height and fps twice from the
// same state, literal then built, and fails on the first five that differ.
Comparison compareEveryFrame(int width, int height, int fps) {
    Comparison c;
    std::string error;
    auto show = OfflineShow::create(width, height, fps, &error);
    if (!show) {
        ADD_FAILURE() << error;
        return c;
    }
    const uint64_t linearBefore = show->drawCounts().linearMinifiedQuads;
    const uint64_t scissoredBefore = show->drawCounts().scissoredGlyphs;
    int failures = 0;
    while (!show->ended() && failures < 5) {
        const double t = show->nextFrameTime();
        const auto mark = show->mark();
        const uint64_t cubesBefore = cubeDrawCount();
        const uint64_t skippedBefore = show->drawCounts().skippedGeometry;
        const uint64_t linearFrame = show->drawCounts().linearMinifiedQuads;
        const uint64_t scissoredFrame = show->drawCounts().scissoredGlyphs;
        saveGlState();
        const Drawn literal = drawNext(*show, true);
        EXPECT_EQ(show->drawCounts().skippedGeometry, skippedBefore)
            << "the literal stream left out a draw";
        EXPECT_EQ(show->drawCounts().linearMinifiedQuads, linearFrame)
            << "the literal stream went linear";
        EXPECT_EQ(show->drawCounts().scissoredGlyphs, scissoredFrame)
            << "the literal stream used a scissor";
        restoreGlState();
        show->returnTo(mark);
        const Drawn built = drawNext(*show, false);
        c.skippedBySecond[static_cast<int>(std::floor(t))] +=
            show->drawCounts().skippedGeometry - skippedBefore;
        ++c.frames;
        std::string differs;
        if (literal.pixels != built.pixels) differs += " pixels";
        if (literal.glStates != built.glStates)
            differs += " GL-state" + whereStatesDiffer(literal.glStates, built.glStates);
        if (!(literal.state == built.state)) differs += " kept-values";
        if (literal.cubes - cubesBefore != built.cubes - literal.cubes) differs += " cubes";
        if (!differs.empty()) {
            ADD_FAILURE() << "at t = " << t << " the built show differs in:" << differs;
            ++failures;
        }
    }
    c.ended = show->ended();
    c.linearMinified = show->drawCounts().linearMinifiedQuads - linearBefore;
    c.scissored = show->drawCounts().scissoredGlyphs - scissoredBefore;
    return c;
}

TEST(BuiltShow, EveryFrameOfTheShowMatchesTheLiteralStream) {
    Comparison c = compareEveryFrame(96, 72, 10);
    EXPECT_TRUE(c.ended);
    EXPECT_GE(c.frames, 1300);

    // Where the built show leaves draws out: texture layers and credit
    // copies with negative alpha (4 s), the logo while its alpha is negative
    // (40, 50 s), the lit scenes' fades (70, 98 s), the veil under the
    // opaque picture and faded words (105 s), everything under the white
    // flash (110 s), the faded flash (125 s).
    for (int second : {4, 40, 50, 70, 98, 105, 110, 125}) {
        EXPECT_GT(c.skippedBySecond[second], 0u) << "nothing left out in second " << second;
    }
    // The clock's digits fill the small view: drawn within their ink.
    EXPECT_GT(c.scissored, 0u);
}

TEST(BuiltShow, AtTheShowsOwnSizeEverySecondMatchesTheLiteralStream) {
    // At 800 x 600 the logo, the sheet's near rows and the pictures are
    // magnified, which they are not at the small size.
    const Comparison c = compareEveryFrame(800, 600, 1);
    EXPECT_TRUE(c.ended);
    EXPECT_GE(c.frames, 130);
    EXPECT_GT(c.linearMinified, 130u * 20);
    EXPECT_GT(c.scissored, 0u);
}

}  // namespace
}  // namespace tev
