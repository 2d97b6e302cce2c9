#pragma once
// The pack picture "DESTRUCT" on a flat, tilted 8 x 8 grid whose texture
// coordinates swim with sums of sines of the show time, so that the picture
// ripples while the geometry stays still. Drawn at 45 % opacity.

#include "assets/texture.h"
#include "draw/draw_context.h"

namespace tev {

class WavingSheet {
  public:
    // Runs the multitexture probe (its answer is not used), reads
    // "DESTRUCT" from the pack and uploads it, and lays out the grid.
    explicit WavingSheet(const char* packPath);

    // Draws one frame at time now - start; leaves its projection, modelview,
    // blending, texturing and the next frame's clear colour set.
    void drawSheet(DrawContext& context, float now, float start);
};

extern Texture sheetTexture;
// Point (a, b), a and b 0..7, is entry a * 8 + b of both tables.
extern float sheetPoints[64][3];
extern float sheetCoords[64][2];

// Recomputes sheetCoords for time T (no GL).
void computeSheetCoords(float T);

}  // namespace tev
