#include <GL/gl.h>

#include "platform/clock.h"
#include "show/show.h"

namespace tev {

AppWindow* showWindow = nullptr;
KeyTable* showKeys = nullptr;
float showStartSeconds = 0.0f;

bool showSetup(AppWindow* window, KeyTable* keys) {
    showWindow = window;
    showKeys = keys;

    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    showStartSeconds = static_cast<float>(platform::clock().tickSeconds());
    return true;
}

void showTeardown() {}

}  // namespace tev
