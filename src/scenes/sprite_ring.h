#pragma once
// A slowly turning, tilted ring of 100 small glowing sprites: textured
// squares added to the frame at half opacity, on a circle of radius 4 whose
// heights ripple with time.

#include "draw/draw_context.h"
#include "gl11/gl11.h"

namespace tev {

class SpriteRing {
  public:
    SpriteRing() = default;

    // Sets its own projection and modelview and leaves them for the blocks
    // drawn after it; also sets the next frame's clear colour.
    void draw(DrawContext& context, float now, float start, GLuint texture);

    // Recomputes the points for `phase` and draws every second point of each
    // group of 20 under the current matrices.
    void drawSprites(DrawContext& context, GLuint texture, float phase);
};

// The ring's 400 points, recomputed completely on every draw.
extern float ringPoints[400][3];

// The points drawn, in drawing order: 40m + 2k for m, k = 0..9.
int ringSpriteIndex(int sprite);

}  // namespace tev
