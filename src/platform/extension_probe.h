#pragma once
// Whether an OpenGL extension's entry points can be had from the current
// context (asked of the GL table in use, gl11/gl11.h). The only extension known is
// "GL_ARB_multitexture"; the answer rests on the entry points alone, not on the extension string.

#include "gl11/gl11.h"

namespace tev {

namespace ext {
// Null until the probe fetches them; no drawing code calls through them.
extern void (*glActiveTextureARB)(GLenum texture);
extern void (*glClientActiveTextureARB)(GLenum texture);
extern void (*glMultiTexCoord2fARB)(GLenum target, GLfloat s, GLfloat t);
extern void (*glMultiTexCoord2fvARB)(GLenum target, const GLfloat* v);
}  // namespace ext

// True when every entry point of the named extension was obtained.
bool loadExtension(const char* name);

// 1 when the extension is there; otherwise an error box with the name as its
// text (caption "Error"), then 0.
int requireExtension(const char* name);

}  // namespace tev
