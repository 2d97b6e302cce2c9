// The state each block leaves for the blocks after it: the couplings that
// are part of the picture.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "c_expressions.h"
#include "gl_test.h"
#include "scenes/primitives.h"
#include "show/blocks.h"
#include "show/offline_show.h"
#include "show/show.h"

namespace tev {
namespace {

class BlockState : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        show = OfflineShow::create(64, 48, 10, &error).release();
        ASSERT_NE(show, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete show;
        show = nullptr;
    }
    void SetUp() override { ASSERT_NE(show, nullptr); }

    static OfflineShow* show;
};
OfflineShow* BlockState::show = nullptr;

std::vector<double> perspective(double fovy, double aspect, double zNear, double zFar) {
    const double f = 1.0 / std::tan(fovy * 3.14159265358979323846 / 360.0);
    std::vector<double> m(16, 0.0);
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0;
    m[14] = 2.0 * zFar * zNear / (zNear - zFar);
    return m;
}

void expectMatrix(const std::vector<double>& got, const std::vector<double>& want) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-4 * (1 + std::fabs(want[i]))) << i;
}

std::vector<double> identity() {
    std::vector<double> m(16, 0.0);
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

TEST_F(BlockState, NoiseVeilLoadsTheProjectionOfTheBlocksAfterIt) {
    drawNoiseVeil(drawContext, 5.0f);
    expectMatrix(test::matrix(GL_PROJECTION_MATRIX), perspective(60, 1, 1, 300));
    expectMatrix(test::matrix(GL_MODELVIEW_MATRIX), identity());
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
}

TEST_F(BlockState, LogoWaveBalancesItsMatricesAndEndsInModelview) {
    drawNoiseVeil(drawContext, 5.0f);
    drawLogoWave(drawContext, 5.0f);
    expectMatrix(test::matrix(GL_PROJECTION_MATRIX), perspective(60, 1, 1, 300));
    expectMatrix(test::matrix(GL_TEXTURE_MATRIX), identity());
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(BlockState, TextureLayersAndWordsRestoreDepthWrites) {
    drawTextureLayers(drawContext, 30.0f);
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
    drawWords(drawContext, 21.0f);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
    // The word display leaves its projection for later blocks.
    expectMatrix(test::matrix(GL_PROJECTION_MATRIX), perspective(90, 1, 0.1, 100));
}

TEST_F(BlockState, FogTextHandsOnTheSheetsMatricesAndLeavesFogOn) {
    wavingSheet->drawSheet(drawContext, 50.0f, 0.0f);
    const auto projection = test::matrix(GL_PROJECTION_MATRIX);
    const auto modelview = test::matrix(GL_MODELVIEW_MATRIX);
    drawFogText(drawContext, 50.0f);
    expectMatrix(test::matrix(GL_PROJECTION_MATRIX), projection);
    expectMatrix(test::matrix(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint fogMode = 0;
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    EXPECT_EQ(fogMode, GL_LINEAR);
    GLfloat fogEnd = 0;
    glGetFloatv(GL_FOG_END, &fogEnd);
    EXPECT_EQ(fogEnd, 100.0f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(BlockState, BlackFadeDrawsUnderTheCreditLinesProjection) {
    drawCreditLine(drawContext, 5.0f);
    drawBlackFadeIn(drawContext, 5.0f);
    expectMatrix(test::matrix(GL_PROJECTION_MATRIX), perspective(90, 1, 0.1, 100));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(BlockState, SheetAndRingSetTheNextFramesClearColour) {
    glClearColor(0, 0, 0, 1);
    wavingSheet->drawSheet(drawContext, 1.0f, 0.0f);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_NEAR(clear[0], 0.35f, 1e-6);
    EXPECT_NEAR(clear[1], 0.3f, 1e-6);
    EXPECT_NEAR(clear[2], 0.25f, 1e-6);
    EXPECT_EQ(clear[3], 1.0f);
}

TEST_F(BlockState, PictureShowRocksItsQuadAndTheFlashSetsTheLastPicture) {
    drawPictureShow(drawContext, 101.0f);
    const auto m = test::matrix(GL_MODELVIEW_MATRIX);
    EXPECT_NEAR(m[14], -1.5, 1e-6);  // the quad sits 1.5 units in front of the eye
    const int32_t previous = kept.pictureIndex;
    drawWhiteFlash(drawContext, 110.0f);
    EXPECT_EQ(kept.pictureIndex, 15);
    kept.pictureIndex = previous;
}

TEST_F(BlockState, CubeRowsDrawFiftySevenCubesWithTheNoiseUntil109AndAHalf) {
    const uint64_t before = cubeDrawCount();
    drawCubeRows(drawContext, 50.0f);
    EXPECT_EQ(cubeDrawCount() - before, 57u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), noiseTexture.textureName);
    drawCubeRows(drawContext, 109.5f);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), discTexture.textureName);

    // The last cube's alpha, as C computes it (p = 18.25).
    for (const float t : {14.0f, 37.7f, 88.125f, 120.5f}) {
        drawCubeRows(drawContext, t);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[3], cExpressionCubeRowAlpha(t, 18.25f)) << t;
    }
}

}  // namespace
}  // namespace tev
