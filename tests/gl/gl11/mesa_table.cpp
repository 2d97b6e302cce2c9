#include "mesa_table.h"

#include "gl11/unmacro.h"
// clang-format off
#include <GL/gl.h>
#include <GL/glu.h>
// clang-format on

namespace tev::gl11 {

namespace {

void* noProcAddress(const char*) {
    return nullptr;
}

const Entries kMesa = {
    ::glBegin,
    ::glEnd,
    ::glVertex2f,
    ::glVertex3f,
    ::glNormal3f,
    ::glColor4f,
    ::glTexCoord2f,
    ::glNewList,
    ::glEndList,
    ::glCallList,
    ::glCallLists,
    ::glListBase,
    ::glGenLists,
    ::glDeleteLists,
    ::glMatrixMode,
    ::glLoadIdentity,
    ::glPushMatrix,
    ::glPopMatrix,
    ::glTranslatef,
    ::glRotatef,
    ::glScalef,
    ::glOrtho,
    ::glViewport,
    ::glEnable,
    ::glDisable,
    ::glIsEnabled,
    ::glHint,
    ::glShadeModel,
    ::glFrontFace,
    ::glCullFace,
    ::glDepthFunc,
    ::glDepthMask,
    ::glClearDepth,
    ::glBlendFunc,
    ::glScissor,
    ::glClearColor,
    ::glClear,
    ::glFlush,
    ::glFogf,
    ::glFogfv,
    ::glLightfv,
    ::glLightModelf,
    ::glLightModeli,
    ::glLightModelfv,
    ::glMaterialf,
    ::glMaterialfv,
    ::glColorMaterial,
    ::glGenTextures,
    ::glBindTexture,
    ::glTexImage2D,
    ::glTexParameteri,
    ::glTexEnvf,
    ::glPixelStorei,
    ::glGetFloatv,
    ::glGetIntegerv,
    ::glGetTexParameteriv,
    ::glGetTexLevelParameteriv,
    ::gluPerspective,
    ::gluBuild2DMipmaps,
    noProcAddress,
};

}  // namespace

const Entries& mesaEntries() {
    return kMesa;
}

GLenum mesaError() {
    return glGetError();
}

}  // namespace tev::gl11
