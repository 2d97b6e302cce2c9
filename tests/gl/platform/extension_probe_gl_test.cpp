#include "platform/extension_probe.h"

#include <GL/gl.h>

#include "gl_test.h"

namespace tev {
namespace {

using ExtensionProbe = test::GlTest;

TEST_F(ExtensionProbe, MultitextureEntryPointsAreFound) {
    EXPECT_TRUE(loadExtension("GL_ARB_multitexture"));
    EXPECT_NE(ext::glActiveTextureARB, nullptr);
    EXPECT_NE(ext::glMultiTexCoord2fvARB, nullptr);
    EXPECT_EQ(requireExtension("GL_ARB_multitexture"), 1);
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
