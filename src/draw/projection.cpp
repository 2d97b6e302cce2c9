#include "draw/projection.h"

#include "gl11/gl11.h"

namespace tev {

void loadPerspective(double fovy, double aspect, double zNear, double zFar, Pushed pushed) {
    glMatrixMode(GL_PROJECTION);
    if (pushed == Pushed::Both) glPushMatrix();
    glLoadIdentity();
    gluPerspective(fovy, aspect, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    if (pushed != Pushed::None) glPushMatrix();
    glLoadIdentity();
}

}  // namespace tev
