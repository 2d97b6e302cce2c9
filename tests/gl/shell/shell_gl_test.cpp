#include <GL/gl.h>

#include <cmath>
#include <vector>

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

// With glvnd every name gets a non-null entry point, even a made-up one, so
// only calls through the pointers show that each reaches its own function.
TEST_F(ShellGl, MultitextureEntryPointsReachTheirFunctions) {
    ASSERT_TRUE(loadExtension("GL_ARB_multitexture"));
    EXPECT_EQ(requireExtension("GL_ARB_multitexture"), 1);

    GLint unit = 0;
    ext::glActiveTextureARB(GL_TEXTURE1_ARB);
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE1_ARB);
    ext::glClientActiveTextureARB(GL_TEXTURE2_ARB);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE2_ARB);
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE1_ARB);  // the server-side unit stays

    // Each unit keeps its own current coordinates, set through either form.
    ext::glMultiTexCoord2fARB(GL_TEXTURE1_ARB, 0.25f, 0.75f);
    const GLfloat st[2] = {0.5f, -2.0f};
    ext::glMultiTexCoord2fvARB(GL_TEXTURE0_ARB, st);
    auto currentCoords = [](GLenum texture) {
        ext::glActiveTextureARB(texture);
        std::vector<GLfloat> coords(4);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords.data());
        return coords;
    };
    EXPECT_EQ(currentCoords(GL_TEXTURE1_ARB), (std::vector<GLfloat>{0.25f, 0.75f, 0.0f, 1.0f}));
    EXPECT_EQ(currentCoords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{0.5f, -2.0f, 0.0f, 1.0f}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
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
