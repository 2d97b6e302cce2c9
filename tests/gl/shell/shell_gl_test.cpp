#include <GL/gl.h>

#include "gl_test.h"
#include "shell/app_window.h"

namespace tev {
namespace {

using ShellGl = test::GlTest;

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

}  // namespace
}  // namespace tev
