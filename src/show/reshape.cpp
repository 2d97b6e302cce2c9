#include "show/reshape.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace tev {

void reshape(int width, int height) {
    if (height == 0) height = 1;  // a zero-height window would divide by zero
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace tev
