#include <GL/gl.h>

#include <cmath>

#include "gl_test.h"
#include "shell/app_window.h"
#include "shell/extension_probe.h"
#include "shell/main_loop.h"

namespace tev {
namespace {

using ShellGl = test::GlTest;

TEST_F(ShellGl, ReshapeSetsViewportAndTheDefaultProjection) {
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

TEST_F(ShellGl, ReshapeWithZeroHeightUsesOne) {
    reshape(300, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    const auto p = test::matrix(GL_PROJECTION_MATRIX);
    EXPECT_TRUE(std::isfinite(p[0]));
    EXPECT_NEAR(p[5] / p[0], 300.0, 1e-3);  // the matrix is kept in floats
}

TEST_F(ShellGl, RestoringTheWindowReshapesForItsNewSize) {
    KeyTable keys;
    AppWindow window;
    window.keys = &keys;
    window.width = 640;
    window.height = 480;
    windowProc(window, {platform::EventType::Size, platform::SizeMinimized});
    windowProc(window, {platform::EventType::Size, platform::SizeRestored, 100, 50});
    EXPECT_EQ(window.active, 1);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 50);
    EXPECT_EQ(window.width, 640);  // the requested size stays
}

TEST_F(ShellGl, MultitextureEntryPointsAreFound) {
    EXPECT_TRUE(loadExtension("GL_ARB_multitexture"));
    EXPECT_NE(ext::glActiveTextureARB, nullptr);
    EXPECT_NE(ext::glMultiTexCoord2fvARB, nullptr);
    EXPECT_EQ(requireExtension("GL_ARB_multitexture"), 1);
}

TEST_F(ShellGl, UnknownExtensionsFailWithTheirNameAsTheBoxText) {
    EXPECT_FALSE(loadExtension(nullptr));
    EXPECT_FALSE(loadExtension("GL_ARB_multitexturE"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(requireExtension("GL_EXT_nothing_here"), 0);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Error: GL_EXT_nothing_here"), std::string::npos) << shown;
}

}  // namespace
}  // namespace tev
