#pragma once
// The GL 1.1 subset of our own: the calls of gl11.h drawn with shaders over
// OpenGL ES 3.0 (Mesa's GLES 3 natively, WebGL 2 in a browser), with the
// fixed-function arithmetic of Mesa's pipeline where the pixels depend on it.
//
// What it does not do (the show never asks): primitives other than GL_QUADS,
// lights other than GL_LIGHT0, spot lights, two-sided lighting, flat shading
// (accepted and answered by glGet, drawn smooth), texture environments other
// than GL_MODULATE (accepted, drawn as GL_MODULATE).

#include <string>

#include "gl11/gl11.h"

namespace tev::gl11 {

struct SubsetOptions {
    // 16: the show's 16-bit colour. On a 5-6-5 buffer (a 5-6-5 surface, an
    // RGB565 framebuffer object in WebGL) llvmpipe's own conversion and
    // blending are Mesa's, and the subset leaves them to it. On an 8-bit
    // buffer (a browser's canvas) the shaders quantise each colour as
    // llvmpipe stores it in 5-6-5 (to 8 bits, truncated) and write it widened
    // as a 5-6-5 buffer reads back, and clears likewise; blended quads are
    // drawn one at a time, each blended in the shader with a copy of the
    // buffer in llvmpipe's 8-bit integer arithmetic (slow, but exact).
    int colourBits = 32;
};

// Makes the subset's GL objects (programs, buffers, vertex array) in the
// current OpenGL ES 3.0 context, resets its GL 1.1 state to GL's initial
// state, and makes `entries` its table. False, with the reason, when the
// context cannot run it (e.g. a shader does not compile).
bool attachSubset(const SubsetOptions& options, std::string* error);

// Deletes them; the same context must still be current. Safe when not
// attached.
void detachSubset();

// The subset's table (valid before attach; calls before attach do nothing).
const Entries& subsetEntries();

// The error GL would report to glGetError (the first one recorded since the
// last call), cleared by the call; GL_NO_ERROR when none or not attached.
GLenum subsetError();

}  // namespace tev::gl11
