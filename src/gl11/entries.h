#pragma once
// The table of entry points behind gl11.h, without GL's names: for the code
// that fills it (Mesa's functions natively, the subset), which includes
// GL's or GLES's own headers beside it.

// The same types as <GL/gl.h> (a typedef may be repeated in C++).
typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

namespace tev::gl11 {

struct Entries {
    void (*Begin)(GLenum mode);
    void (*End)();
    void (*Vertex2f)(GLfloat x, GLfloat y);
    void (*Vertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void (*Normal3f)(GLfloat nx, GLfloat ny, GLfloat nz);
    void (*Color4f)(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
    void (*TexCoord2f)(GLfloat s, GLfloat t);
    void (*NewList)(GLuint list, GLenum mode);
    void (*EndList)();
    void (*CallList)(GLuint list);
    void (*CallLists)(GLsizei n, GLenum type, const GLvoid* lists);
    void (*ListBase)(GLuint base);
    GLuint (*GenLists)(GLsizei range);
    void (*DeleteLists)(GLuint list, GLsizei range);
    void (*MatrixMode)(GLenum mode);
    void (*LoadIdentity)();
    void (*PushMatrix)();
    void (*PopMatrix)();
    void (*Translatef)(GLfloat x, GLfloat y, GLfloat z);
    void (*Rotatef)(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
    void (*Scalef)(GLfloat x, GLfloat y, GLfloat z);
    void (*Ortho)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_val,
                  GLdouble far_val);
    void (*Viewport)(GLint x, GLint y, GLsizei width, GLsizei height);
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
    GLboolean (*IsEnabled)(GLenum cap);
    void (*Hint)(GLenum target, GLenum mode);
    void (*ShadeModel)(GLenum mode);
    void (*FrontFace)(GLenum mode);
    void (*CullFace)(GLenum mode);
    void (*DepthFunc)(GLenum func);
    void (*DepthMask)(GLboolean flag);
    void (*ClearDepth)(GLclampd depth);
    void (*BlendFunc)(GLenum sfactor, GLenum dfactor);
    void (*Scissor)(GLint x, GLint y, GLsizei width, GLsizei height);
    void (*ClearColor)(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
    void (*Clear)(GLbitfield mask);
    void (*Flush)();
    void (*Fogf)(GLenum pname, GLfloat param);
    void (*Fogfv)(GLenum pname, const GLfloat* params);
    void (*Lightfv)(GLenum light, GLenum pname, const GLfloat* params);
    void (*LightModelf)(GLenum pname, GLfloat param);
    void (*LightModeli)(GLenum pname, GLint param);
    void (*LightModelfv)(GLenum pname, const GLfloat* params);
    void (*Materialf)(GLenum face, GLenum pname, GLfloat param);
    void (*Materialfv)(GLenum face, GLenum pname, const GLfloat* params);
    void (*ColorMaterial)(GLenum face, GLenum mode);
    void (*GenTextures)(GLsizei n, GLuint* textures);
    void (*BindTexture)(GLenum target, GLuint texture);
    void (*TexImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                       GLsizei height, GLint border, GLenum format, GLenum type,
                       const GLvoid* pixels);
    void (*TexParameteri)(GLenum target, GLenum pname, GLint param);
    void (*TexEnvf)(GLenum target, GLenum pname, GLfloat param);
    void (*PixelStorei)(GLenum pname, GLint param);
    void (*GetFloatv)(GLenum pname, GLfloat* params);
    void (*GetIntegerv)(GLenum pname, GLint* params);
    void (*GetTexParameteriv)(GLenum target, GLenum pname, GLint* params);
    void (*GetTexLevelParameteriv)(GLenum target, GLint level, GLenum pname, GLint* params);
    void (*gluPerspective)(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
    GLint (*gluBuild2DMipmaps)(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                               GLenum format, GLenum type, const void* data);
    void* (*ProcAddress)(const char* name);
};

// The table every call of the layers goes through. Empty (null) until a
// GL context is made current and its table chosen.
extern Entries entries;

inline void use(const Entries& table) {
    entries = table;
}

}  // namespace tev::gl11
