#pragma once
// The show's formulas written in C and compiled as C (c_expressions.c), so
// that the C library's promotions hold: a float argument of sin or cos is
// promoted to double, and only the stored result is rounded to float.

#ifdef __cplusplus
extern "C" {
#endif

double cExpressionSin(float x);
double cExpressionCos(float x);
// Point k (0..99) of the sprite ring at the given phase.
void cExpressionRingPoint(int k, float phase, float point[3]);
// The alpha of the cube at p in the cube rows at show time t.
float cExpressionCubeRowAlpha(float t, float p);

#ifdef __cplusplus
}
#endif
