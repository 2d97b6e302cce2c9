// Three rows of 19 translucent, additive cubes, each swinging on a small
// circle around its place, the whole arrangement tumbling slowly.

#include <cmath>

#include "draw/draw_context.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "proc/exact_math.h"
#include "scenes/primitives.h"
#include "show/blocks.h"
#include "show/show.h"

namespace tev {

void drawCubeRows(DrawContext& context, float t) {
    const float T = t - 13.5f;
    const float h = T * 0.5f;
    loadPerspective(90.0, 1.0, 1.0, 1000.0);
    flatBlendState(GL_ONE);
    if (t < 109.5f) {
        noiseTexture.bind();
    } else {
        discTexture.bind();
    }

    glTranslatef(0.0f, 0.0f, -10.0f);
    glRotatef(static_cast<float>(360.0 * cSin(0.125 * t)), 1.0f, 0.0f, 0.0f);
    if (t > 12.0f) glRotatef(static_cast<float>(360.0 * cSin(0.1 * (t - 12.0f))), 0.0f, 1.0f, 0.0f);
    if (t > 40.0f) glRotatef(static_cast<float>(360.0 * cCos(0.1 * (t - 40.0f))), 0.0f, 0.0f, 1.0f);

    // The alphas stay within 0.075..0.325: only a later cover hides them.
    const bool send = context.sendsGeometry();
    for (int row = 1; row <= 3; ++row) {
        // p runs -20, -17.875, ..., 18.25: 19 cubes, the test on the sum.
        for (float p = -20.0f; p < 20.0f; p += 2.125f) {
            glPushMatrix();
            const auto wobble = static_cast<float>(10.0 * cSin(0.175 * t + p));
            const auto swingSin = static_cast<float>(6.0 * cSin(0.5 * t + p));
            const auto swingCos = static_cast<float>(6.0 * cCos(0.5 * t + p));
            switch (row) {
                case 1:
                    glTranslatef(p, 0.0f, 0.0f);
                    glRotatef(wobble, 0.0f, 0.0f, 1.0f);
                    glTranslatef(swingSin, swingCos, 0.0f);
                    break;
                case 2:
                    glTranslatef(0.0f, p, 0.0f);
                    glRotatef(wobble, 1.0f, 0.0f, 0.0f);
                    glTranslatef(0.0f, swingSin, swingCos);
                    break;
                default:
                    glTranslatef(p, 0.0f, 0.0f);
                    glRotatef(wobble, 0.0f, 1.0f, 0.0f);
                    glTranslatef(swingSin, 0.0f, swingCos);
                    break;
            }
            glColor4f(0.75f, 0.75f, 0.75f, static_cast<float>(0.2 + 0.125 * cSin(p + h)));
            // The first cube of the show fixes every cube's size (the list
            // keeps the half-size it was compiled with).
            const float half = 2.0f - std::fabs(p * 0.033333335f);
            if (send) {
                drawCube(half);
            } else {
                skipCube(half);
            }
            glPopMatrix();
        }
    }
}

}  // namespace tev
