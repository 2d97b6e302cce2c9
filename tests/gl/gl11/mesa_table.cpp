// Mesa's own fixed-function pipeline as a table of the GL 1.1 the layers
// speak: libGL's and libGLU's functions themselves, so the names are checked
// against GL's own signatures. The compiler sees <GL/gl.h> first, then the
// table's header, whose names are macros into the table: those are undone
// here, where the real functions are meant.

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "gl11/gl11.h"
#include "mesa_table.h"

#undef glBegin
#undef glEnd
#undef glVertex2f
#undef glVertex3f
#undef glNormal3f
#undef glColor4f
#undef glTexCoord2f
#undef glNewList
#undef glEndList
#undef glCallList
#undef glCallLists
#undef glListBase
#undef glGenLists
#undef glDeleteLists
#undef glMatrixMode
#undef glLoadIdentity
#undef glPushMatrix
#undef glPopMatrix
#undef glTranslatef
#undef glRotatef
#undef glScalef
#undef glOrtho
#undef glViewport
#undef glEnable
#undef glDisable
#undef glIsEnabled
#undef glHint
#undef glShadeModel
#undef glFrontFace
#undef glCullFace
#undef glDepthFunc
#undef glDepthMask
#undef glClearDepth
#undef glBlendFunc
#undef glScissor
#undef glClearColor
#undef glClear
#undef glFlush
#undef glFogf
#undef glFogfv
#undef glLightfv
#undef glLightModelf
#undef glLightModeli
#undef glLightModelfv
#undef glMaterialf
#undef glMaterialfv
#undef glColorMaterial
#undef glGenTextures
#undef glBindTexture
#undef glTexImage2D
#undef glTexParameteri
#undef glTexEnvf
#undef glPixelStorei
#undef glGetFloatv
#undef glGetIntegerv
#undef glGetTexParameteriv
#undef glGetTexLevelParameteriv
#undef gluPerspective
#undef gluBuild2DMipmaps

namespace tev::gl11 {
// The table's storage while no library of the subset defines it; a
// definition there takes its place.
__attribute__((weak)) Entries entries{};
}  // namespace tev::gl11

namespace tev::test {

const gl11::Entries& mesaEntries() {
    static const gl11::Entries table = [] {
        gl11::Entries e{};
        e.Begin = &::glBegin;
        e.End = &::glEnd;
        e.Vertex2f = &::glVertex2f;
        e.Vertex3f = &::glVertex3f;
        e.Normal3f = &::glNormal3f;
        e.Color4f = &::glColor4f;
        e.TexCoord2f = &::glTexCoord2f;
        e.NewList = &::glNewList;
        e.EndList = &::glEndList;
        e.CallList = &::glCallList;
        e.CallLists = &::glCallLists;
        e.ListBase = &::glListBase;
        e.GenLists = &::glGenLists;
        e.DeleteLists = &::glDeleteLists;
        e.MatrixMode = &::glMatrixMode;
        e.LoadIdentity = &::glLoadIdentity;
        e.PushMatrix = &::glPushMatrix;
        e.PopMatrix = &::glPopMatrix;
        e.Translatef = &::glTranslatef;
        e.Rotatef = &::glRotatef;
        e.Scalef = &::glScalef;
        e.Ortho = &::glOrtho;
        e.Viewport = &::glViewport;
        e.Enable = &::glEnable;
        e.Disable = &::glDisable;
        e.IsEnabled = &::glIsEnabled;
        e.Hint = &::glHint;
        e.ShadeModel = &::glShadeModel;
        e.FrontFace = &::glFrontFace;
        e.CullFace = &::glCullFace;
        e.DepthFunc = &::glDepthFunc;
        e.DepthMask = &::glDepthMask;
        e.ClearDepth = &::glClearDepth;
        e.BlendFunc = &::glBlendFunc;
        e.Scissor = &::glScissor;
        e.ClearColor = &::glClearColor;
        e.Clear = &::glClear;
        e.Flush = &::glFlush;
        e.Fogf = &::glFogf;
        e.Fogfv = &::glFogfv;
        e.Lightfv = &::glLightfv;
        e.LightModelf = &::glLightModelf;
        e.LightModeli = &::glLightModeli;
        e.LightModelfv = &::glLightModelfv;
        e.Materialf = &::glMaterialf;
        e.Materialfv = &::glMaterialfv;
        e.ColorMaterial = &::glColorMaterial;
        e.GenTextures = &::glGenTextures;
        e.BindTexture = &::glBindTexture;
        e.TexImage2D = &::glTexImage2D;
        e.TexParameteri = &::glTexParameteri;
        e.TexEnvf = &::glTexEnvf;
        e.PixelStorei = &::glPixelStorei;
        e.GetFloatv = &::glGetFloatv;
        e.GetIntegerv = &::glGetIntegerv;
        e.GetTexParameteriv = &::glGetTexParameteriv;
        e.GetTexLevelParameteriv = &::glGetTexLevelParameteriv;
        e.gluPerspective = &::gluPerspective;
        e.gluBuild2DMipmaps = &::gluBuild2DMipmaps;
        e.ProcAddress = [](const char* name) -> void* {
            return reinterpret_cast<void*>(eglGetProcAddress(name));
        };
        return e;
    }();
    return table;
}

}  // namespace tev::test
