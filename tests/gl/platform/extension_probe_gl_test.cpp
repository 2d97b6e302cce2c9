#include "platform/extension_probe.h"

#include <GL/gl.h>

#include <vector>

#include "gl_test.h"

namespace tev {
namespace {

using ExtensionProbe = test::GlTest;

// With glvnd every name gets a non-null entry point, even a made-up one, so
// only calls through the pointers show that each reaches its own function.
TEST_F(ExtensionProbe, MultitextureEntryPointsReachTheirFunctions) {
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

TEST_F(ExtensionProbe, UnknownExtensionsFailWithTheirNameAsTheBoxText) {
    EXPECT_FALSE(loadExtension(nullptr));
    EXPECT_FALSE(loadExtension("GL_ARB_multitexturE"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(requireExtension("GL_EXT_nothing_here"), 0);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Error: GL_EXT_nothing_here"), std::string::npos) << shown;
}

}  // namespace
}  // namespace tev
