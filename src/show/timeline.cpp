#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/clock.h"
#include "shell/frame_timer.h"
#include "show/show.h"

namespace tev {

float showClock = 0.0f;

namespace {
QuitRequest quitRequest = nullptr;
}  // namespace

void setQuitRequest(QuitRequest request) { quitRequest = request; }

float computeShowClock() {
    return static_cast<float>(platform::clock().tickSeconds() -
                              static_cast<double>(showStartSeconds));
}

void drawFrame() {
    showClock = computeShowClock();
    const float t = showClock;
    frameTimer().update();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (t > 130.0f && quitRequest != nullptr) quitRequest(showWindow);
    glFlush();
}

}  // namespace tev
