#pragma once
// Whether an OpenGL extension's entry points can be had from the current
// context. The only extension known is "GL_ARB_multitexture"; the answer
// rests on the entry points alone, not on the extension string.

#include <GL/gl.h>
#include <GL/glext.h>

namespace tev {

namespace ext {
// Null until the probe fetches them; no drawing code calls through them.
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
extern PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB;
extern PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB;
extern PFNGLMULTITEXCOORD2FVARBPROC glMultiTexCoord2fvARB;
}  // namespace ext

// True when every entry point of the named extension was obtained.
bool loadExtension(const char* name);

// 1 when the extension is there; otherwise an error box with the name as its
// text (caption "Error"), then 0.
int requireExtension(const char* name);

}  // namespace tev
