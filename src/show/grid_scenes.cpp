// Textures drawn through a regular 8 x 8 mesh whose texture coordinates are
// shifted by sines every frame: the texture ripples, the mesh stays still.

#include <cmath>

#include "draw/draw_context.h"
#include "gl11/gl11.h"
#include "proc/exact_math.h"
#include "scenes/primitives.h"
#include "show/blocks.h"
#include "show/show.h"

namespace tev {

namespace {

constexpr float kSeventh = 1.0f / 7.0f;

// Calls fill(i, j, u, v) for column i and row j with u and v accumulated in
// single precision, as i/7 and j/7 up to rounding.
template <typename Fill>
void forEachGridPoint(Fill fill) {
    float v = 0.0f;
    for (int j = 0; j < 8; ++j) {
        float u = 0.0f;
        for (int i = 0; i < 8; ++i) {
            fill(i, j, u, v);
            u += kSeventh;
        }
        v += kSeventh;
    }
}

}  // namespace

void fillLogoWaveGrid(float t, float grid[64][2]) {
    forEachGridPoint([&](int i, int j, float u, float v) {
        const double w = 1.4 * t + j + i;
        grid[8 * j + i][0] = static_cast<float>(cSin(w) * 0.2132 * 0.2 + u);
        grid[8 * j + i][1] = static_cast<float>(cCos(w) * 0.3232 * 0.4 + v);
    });
}

float logoWaveAlpha(float t) {
    // Negative values draw nothing; before 100 s the logo shows while
    // sin(0.1 t) > -0.2.
    return t < 100.0f ? static_cast<float>(0.25 * cSin(0.1 * t) + 0.05)
                      : static_cast<float>(0.25 * cCos(0.2 * t) + 0.05);
}

void drawLogoWave(DrawContext& context, float t) {
    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, logoTexture.textureName);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glRotatef(180.0f, 1.0f, 0.0f, 0.0f);  // (s, t) to (s, -t): a vertical flip
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);

    fillLogoWaveGrid(t, kept.wobbleGrid);
    const float a = logoWaveAlpha(t);
    glColor4f(1.0f, 1.0f, 1.0f, a);
    // Row 0 along the top edge. The modelview is whatever the blocks before
    // left: from 100 s on, the picture show's transform moves the mesh out
    // of the orthographic depth range.
    if (context.sendsGeometry(a)) {
        texturedGrid(context, &kept.wobbleGrid[0][0], 8, 8, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
    } else {
        skipTexturedGrid(&kept.wobbleGrid[0][0], 8, 8);
    }

    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void fillTextureLayersGrid(float t, float grid[64][2]) {
    forEachGridPoint([&](int i, int j, float u, float v) {
        grid[8 * j + i][0] = static_cast<float>(
            (0.3132 * cSin(1.4 * t + i) + 0.5452 * cCos(1.2 * t + 0.4 * j)) * 0.2 + 4.0f * u);
        grid[8 * j + i][1] = static_cast<float>(
            (0.3132 * cSin(1.4 * t + j) + 0.532 * cCos(1.4 * t + i)) * 0.4 + 4.0f * v);
    });
}

void drawTextureLayers(DrawContext& context, float t) {
    flatBlendState(GL_ONE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, discTexture.textureName);
    fillTextureLayersGrid(t, kept.wobbleGrid);

    // From 72 s a running alpha, 8/7 summed in single precision and lowered
    // by 0.01 before each layer: every value exceeds 1, so all eight layers
    // draw at full alpha once colours are clamped.
    float running = 0.0f;
    for (int k = 0; k < 8; ++k)
        running += kSeventh;
    for (float layer = 0.0f; layer != 8.0f; layer += 1.0f) {
        glPushMatrix();
        glScalef(5.0f, 5.0f, 1.0f);
        glTranslatef(-0.5f, -0.5f, -0.5f * layer);
        float a;
        if (t < 72.0f) {
            a = static_cast<float>(0.2 * cSin(0.1 * t + layer) + 0.1);
        } else {
            running -= 0.01f;
            a = running;
        }
        glColor4f(0.75f, 0.75f, 0.75f, a);
        if (context.sendsGeometry(a)) {
            texturedGrid(context, &kept.wobbleGrid[0][0], 8, 8, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f);
        } else {
            skipTexturedGrid(&kept.wobbleGrid[0][0], 8, 8);
        }
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
}

}  // namespace tev
