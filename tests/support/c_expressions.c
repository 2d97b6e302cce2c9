#include "c_expressions.h"

#include <math.h>

double cExpressionSin(float x) {
    return sin(x);
}

double cExpressionCos(float x) {
    return cos(x);
}

void cExpressionRingPoint(int k, float phase, float point[3]) {
    float a = 0.0f;
    for (int i = 0; i < k; ++i)
        a += 6.0f;
    point[0] = (float)(4.0 * cos(a));
    point[1] = (float)(4.0 * sin(a));
    point[2] = (float)(2.25 * sin(5.0f * a + phase));
}

float cExpressionCubeRowAlpha(float t, float p) {
    const float h = (t - 13.5f) * 0.5f;
    return (float)(0.2 + 0.125 * sin(p + h));
}
