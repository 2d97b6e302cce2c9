#include "show/reshape.h"

#include <GL/gl.h>

#include <cmath>

#include "gl_test.h"

namespace tev {
namespace {

using Reshape = test::GlTest;

TEST_F(Reshape, ReshapeSetsViewportAndTheDefaultProjection) {
    reshape(400, 200);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 200);
    const auto p = test::matrix(GL_PROJECTION_MATRIX);
    // gluPerspective(45, 2, 1, 100): f = 1 / tan(22.5 deg).
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    EXPECT_NEAR(p[0], f / 2.0, 1e-6);
    EXPECT_NEAR(p[5], f, 1e-6);
    EXPECT_NEAR(p[10], -101.0 / 99.0, 1e-6);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(Reshape, ReshapeWithZeroHeightUsesOne) {
    reshape(300, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    const auto p = test::matrix(GL_PROJECTION_MATRIX);
    EXPECT_TRUE(std::isfinite(p[0]));
    EXPECT_NEAR(p[5] / p[0], 300.0, 1e-3);  // the matrix is kept in floats
}

}  // namespace
}  // namespace tev
