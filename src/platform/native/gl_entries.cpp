#include "platform/native/gl_entries.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/gl_proc.h"

namespace tev {
namespace {

// In the order of gl11::Entries; a constant initialiser, so the table is
// there before any constructor runs.
constexpr gl11::Entries kMesa = {
    &::glBegin,
    &::glEnd,
    &::glVertex2f,
    &::glVertex3f,
    &::glNormal3f,
    &::glColor4f,
    &::glTexCoord2f,
    &::glNewList,
    &::glEndList,
    &::glCallList,
    &::glCallLists,
    &::glListBase,
    &::glGenLists,
    &::glDeleteLists,
    &::glMatrixMode,
    &::glLoadIdentity,
    &::glPushMatrix,
    &::glPopMatrix,
    &::glTranslatef,
    &::glRotatef,
    &::glScalef,
    &::glOrtho,
    &::glViewport,
    &::glEnable,
    &::glDisable,
    &::glIsEnabled,
    &::glHint,
    &::glShadeModel,
    &::glFrontFace,
    &::glCullFace,
    &::glDepthFunc,
    &::glDepthMask,
    &::glClearDepth,
    &::glBlendFunc,
    &::glScissor,
    &::glClearColor,
    &::glClear,
    &::glFlush,
    &::glFogf,
    &::glFogfv,
    &::glLightfv,
    &::glLightModelf,
    &::glLightModeli,
    &::glLightModelfv,
    &::glMaterialf,
    &::glMaterialfv,
    &::glColorMaterial,
    &::glGenTextures,
    &::glBindTexture,
    &::glTexImage2D,
    &::glTexParameteri,
    &::glTexEnvf,
    &::glPixelStorei,
    &::glGetFloatv,
    &::glGetIntegerv,
    &::glGetTexParameteriv,
    &::glGetTexLevelParameteriv,
    &::gluPerspective,
    &::gluBuild2DMipmaps,
    &platform::glProcAddress,
};

}  // namespace

gl11::Entries gl11::entries = kMesa;

const gl11::Entries& platform::mesaGlEntries() {
    return kMesa;
}

}  // namespace tev
