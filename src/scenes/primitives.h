#pragma once
// Drawing pieces the scenes share: three square quads that emit only
// vertices (the caller brackets them with glBegin(GL_QUADS) / glEnd), a
// textured grid that brackets itself, and a cube compiled once into a
// display list and replayed afterwards.

#include <cstdint>
#include <vector>

#include "draw/magnified_draw.h"
#include "gl11/gl11.h"

namespace tev {

// Texture offsets (s, t) to (s + 1, t + 1) over a square of half-size `half`
// at z = depth, from the top left corner clockwise.
void texturedQuad(float sOffset, float tOffset, float half, float depth);
TexturedQuad texturedQuadCorners(float sOffset, float tOffset, float half, float depth);

// Texture coordinates 0..sRepeat and 0..tRepeat over the same square.
void tiledQuad(float sRepeat, float tRepeat, float half, float depth);

// A square of half-size 10 * scale, no texture coordinates.
void plainQuad(float scale, float depth);

// A columns x rows grid of points from (x0, y0) to (x1, y1) at `depth`,
// drawn as quads; `coords` holds one (s, t) pair per point, row-major. Sent
// through sendTexturedQuads: in the built stream, runs of quads that
// magnify a mipmapped texture everywhere go with linear minification.
void texturedGrid(DrawContext& context, const float* coords, int32_t columns, int32_t rows,
                  float x0, float y0, float x1, float y1, float depth);
// The grid's quads, row by row, each with the corners of points (i, j),
// (i + 1, j), (i + 1, j + 1), (i, j + 1); none for fewer than two rows or
// columns.
std::vector<TexturedQuad> gridQuads(const float* coords, int32_t columns, int32_t rows, float x0,
                                    float y0, float x1, float y1, float depth);

// A cube of half-size `half` with normals and texture coordinates. The
// first call in a GL context compiles and draws it; later calls replay that
// list and ignore their own half-size.
void drawCube(float half);

// What a left-out draw of each primitive still does (the built stream, for
// draws that change no pixel): no vertices, but the current normal and
// texture coordinate are left as the draw would leave them, and the cube's
// list is compiled (without drawing) when this is the first cube, so that
// it keeps the size of the first cube of the show.
void skipCube(float half);
void skipTexturedGrid(const float* coords, int32_t columns, int32_t rows);
void skipTexturedQuad(float sOffset, float tOffset);
void skipTiledQuad(float sRepeat, float tRepeat);

// The cube's display list in the current context, -1 before the first cube.
int32_t cubeList();

// How many cubes have been drawn or skipped since the program started (a
// counter for tests and benchmarks).
uint64_t cubeDrawCount();

}  // namespace tev
