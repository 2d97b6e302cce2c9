#pragma once
// Textured quads of a mipmapped texture that no fragment minifies.
//
// A fragment whose level of detail is at most 0 is magnified and is sampled
// from level 0 with the magnification filter, whatever the minification
// filter says. A mipmapped texture (a GL_*_MIPMAP_* minification filter,
// GL_LINEAR magnification) drawn so that no fragment can be minified
// therefore gives the very same colours with GL_LINEAR for both filters,
// and llvmpipe then computes no level of detail and takes no mipmap branch.
// The built stream (draw_context.h) sends such runs of quads with GL_LINEAR
// minification and restores the texture's own filter after them; the
// literal stream sends every quad as written.
//
// Whether a quad is magnified everywhere is decided from an upper bound of
// its texels per pixel, taken over every fragment the quad can make and the
// neighbours each fragment is differenced with, under the current matrices
// and viewport. A quad counts as magnified when the bound is at most
// kMagnifiedTexelsPerPixel, well below 1: the level of detail is then
// negative whether the switch-over point is taken as 0 (as llvmpipe does)
// or as 0.5 (as older GL allowed).

#include <cstddef>
#include <cstdint>

#include "draw/draw_context.h"
#include "draw/matrix4.h"
#include "gl11/gl11.h"

namespace tev {

inline constexpr double kMagnifiedTexelsPerPixel = 0.9;

// One quad as sent: each corner's texture coordinate (s, t), then its
// vertex (x, y, z), corners in drawing order.
struct TexturedQuad {
    float st[4][2];
    float xyz[4][3];
};

// Texels per pixel of textured triangles under the projection, modelview
// and texture matrices and the viewport current when it was made.
class MagnificationBound {
  public:
    MagnificationBound();  // reads the matrices and the viewport from GL
    MagnificationBound(const float projection[16], const float modelview[16],
                       const float texture[16], const int viewport[4]);

    // An upper bound of the scale factor (texels per pixel, the larger of
    // its lengths along x and along y) over every fragment of the quad, split
    // into triangles either way, and over the pixels one step beside them;
    // for a texture of width x height texels. 0 when no fragment of the quad
    // can reach the view; infinity when no bound can be given (a projective
    // texture matrix, a triangle seen edge-on).
    double quadTexelsPerPixel(const TexturedQuad& quad, int width, int height) const;

  private:
    Matrix4 mvp_;
    Matrix4 texture_;
    double viewport_[4];
};

// Sends quads of the bound texture inside glBegin(GL_QUADS) / glEnd. In the
// built stream, when the texture is mipmapped with GL_LINEAR magnification
// and complete, each run of consecutive quads that magnify it everywhere is
// sent with GL_LINEAR minification (counted in the context), the others
// with the texture's own filter, which is in place again afterwards.
void sendTexturedQuads(DrawContext& context, const TexturedQuad* quads, size_t count);

}  // namespace tev
