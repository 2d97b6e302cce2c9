// The show as built against the literal GL stream: every frame of the whole
// show drawn both ways from the same state gives the same pixels, the same
// GL state and the same kept values, while the built show leaves out draws
// where it should.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "scenes/primitives.h"
#include "show/offline_show.h"
#include "show/show.h"

namespace tev {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 72;
constexpr int kFps = 10;

// The GL state a frame leaves that a later frame or block could see.
std::vector<float> glStateDigest() {
    std::vector<float> digest;
    auto floats = [&](GLenum name, int count) {
        GLfloat v[16] = {};
        glGetFloatv(name, v);
        digest.insert(digest.end(), v, v + count);
    };
    auto integers = [&](GLenum name, int count) {
        GLint v[4] = {};
        glGetIntegerv(name, v);
        for (int i = 0; i < count; ++i)
            digest.push_back(static_cast<float>(v[i]));
    };
    for (GLenum matrix : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX}) {
        floats(matrix, 16);
    }
    floats(GL_CURRENT_COLOR, 4);
    floats(GL_CURRENT_NORMAL, 3);
    floats(GL_CURRENT_TEXTURE_COORDS, 4);
    floats(GL_COLOR_CLEAR_VALUE, 4);
    floats(GL_FOG_COLOR, 4);
    for (GLenum name : {GL_FOG_START, GL_FOG_END, GL_FOG_DENSITY})
        floats(name, 1);
    for (GLenum cap : {GL_FOG, GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE,
                       GL_TEXTURE_2D, GL_COLOR_MATERIAL}) {
        digest.push_back(glIsEnabled(cap) ? 1.0f : 0.0f);
    }
    for (GLenum name :
         {GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_WRITEMASK, GL_DEPTH_FUNC, GL_FOG_MODE,
          GL_TEXTURE_BINDING_2D, GL_LIST_BASE, GL_MATRIX_MODE, GL_MODELVIEW_STACK_DEPTH,
          GL_PROJECTION_STACK_DEPTH, GL_TEXTURE_STACK_DEPTH}) {
        integers(name, 1);
    }
    GLfloat light[4];
    for (GLenum name : {GL_POSITION, GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) {
        glGetLightfv(GL_LIGHT0, name, light);
        digest.insert(digest.end(), light, light + 4);
    }
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    digest.push_back(static_cast<float>(env));
    return digest;
}

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
    literalGlStream = literal;
    boundaryStates.clear();
    setBlockHook(noteBoundary);
    show.drawNextFrame();
    setBlockHook(nullptr);
    Drawn d{show.readPixels(), boundaryStates, ShowStateSnapshot::take(), cubeDrawCount()};
    literalGlStream = false;
    return d;
}

TEST(BuiltShow, EveryFrameOfTheShowMatchesTheLiteralStream) {
    std::string error;
    auto show = OfflineShow::create(kWidth, kHeight, kFps, &error);
    ASSERT_TRUE(show) << error;

    int frames = 0;
    int failures = 0;
    std::map<int, uint64_t> skippedBySecond;  // draws left out, per whole second
    while (!show->ended() && failures < 5) {
        const double t = show->nextFrameTime();
        const auto mark = show->mark();
        const uint64_t cubesBefore = cubeDrawCount();
        const uint64_t skippedBefore = skippedGeometryCount();
        saveGlState();
        const Drawn literal = drawNext(*show, true);
        EXPECT_EQ(skippedGeometryCount(), skippedBefore) << "the literal stream left out a draw";
        restoreGlState();
        show->returnTo(mark);
        const Drawn built = drawNext(*show, false);
        skippedBySecond[static_cast<int>(std::floor(t))] += skippedGeometryCount() - skippedBefore;
        ++frames;
        std::string differs;
        if (literal.pixels != built.pixels) differs += " pixels";
        if (literal.glStates != built.glStates) differs += " GL-state";
        if (!(literal.state == built.state)) differs += " kept-values";
        if (literal.cubes - cubesBefore != built.cubes - literal.cubes) differs += " cubes";
        if (!differs.empty()) {
            ADD_FAILURE() << "at t = " << t << " the built show differs in:" << differs;
            ++failures;
        }
    }
    EXPECT_TRUE(show->ended());
    EXPECT_GE(frames, 1300);

    // Where the built show leaves draws out: texture layers and credit
    // copies with negative alpha (4 s), the logo while its alpha is negative
    // (40, 50 s), the lit scenes' fades (70, 98 s), the veil under the
    // opaque picture and faded words (105 s), everything under the white
    // flash (110 s), the faded flash (125 s).
    for (int second : {4, 40, 50, 70, 98, 105, 110, 125}) {
        EXPECT_GT(skippedBySecond[second], 0u) << "nothing left out in second " << second;
    }
}

}  // namespace
}  // namespace tev
