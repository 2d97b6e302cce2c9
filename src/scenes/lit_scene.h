#pragma once
// A lit, translucent cluster of cubes: a centre cube with six arms, each a
// chain of 20 cubes that shrink, turn and drift outward, tumbling under one
// circling directional light. The caller binds the texture and sets the
// blending; the scene sets projection, fog, depth, culling and lighting.

#include "draw/draw_context.h"
#include "scenes/vector3.h"

namespace tev {

extern float lightAmbient[4];
extern float lightDiffuse[4];
extern float lightSpecular[4];
extern float lightPosition[4];

// `depth` cubes (one per whole step above 0) along a chain: each level
// rotates (x, then y, then z, degrees), translates and scales on top of the
// one before it. Without `sendGeometry` every cube is skipped (skipCube)
// and only the matrix operations remain.
void drawCubeChain(Vector3 translate, Vector3 scale, Vector3 rotation, float depth,
                   bool sendGeometry = true);

// The whole cluster at (x, y, z) for time now - start of its slot. When
// nothing later reads the depth it writes (`depthReadLater` false), the
// built stream skips its cubes while its alpha is <= 0.
void drawLitScene(DrawContext& context, float x, float y, float z, float now, float start,
                  bool depthReadLater = true);

// The cluster's alpha at time t of its slot: a flickering fade-in before 6 s
// and fade-out from 14 s, each drawing one random fraction; 0.75 between,
// with no draw.
float litSceneAlpha(float t);

}  // namespace tev
