// The offscreen show draws into the show window's pixel format, so that its
// frames (the tests', the captured videos') round as the window's do.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "show/offline_show.h"

namespace tev {
namespace {

TEST(OffscreenFormat, EightBitsAChannelAndSixteenDepthBitsLikeTheWindow) {
    std::string error;
    auto show = OfflineShow::create(32, 24, 10, &error);
    ASSERT_TRUE(show) << error;
    GLint bits[4] = {};
    for (GLenum name : {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS}) {
        glGetIntegerv(name, bits);
        EXPECT_EQ(bits[0], 8) << name;
    }
    glGetIntegerv(GL_DEPTH_BITS, bits);
    EXPECT_EQ(bits[0], 16);
}

}  // namespace
}  // namespace tev
