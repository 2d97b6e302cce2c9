#include "scenes/sprite_ring.h"

#include <cmath>

#include "draw/draw_context.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "proc/exact_math.h"
#include "scenes/primitives.h"

namespace tev {

float ringPoints[400][3] = {};

int ringSpriteIndex(int sprite) {
    return 40 * (sprite / 10) + 2 * (sprite % 10);
}

void SpriteRing::draw(DrawContext& context, float now, float start, GLuint texture) {
    const float p = now - start;
    glClearColor(0.35f, 0.3f, 0.25f, 1.0f);
    loadPerspective(90.0, 1.0, 0.1, 300.0);
    glTranslatef(0.0f, 0.0f, -8.0f);
    glRotatef(-16.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(6.0f * p, 0.0f, 0.0f, 1.0f);
    drawSprites(context, texture, p);
}

void SpriteRing::drawSprites(DrawContext& context, GLuint texture, float phase) {
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_COLOR_MATERIAL);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);

    // Left out, each sprite's moves undo themselves and its texture
    // coordinate is the same: one is as good as all.
    if (!context.sendsGeometry(0.5f)) {
        skipTexturedQuad(0.0f, 0.0f);
        return;
    }
    // 6 radians is not a rational part of a turn, so the points scatter
    // around the circle instead of repeating. Every angle is a whole number.
    float a = 0.0f;
    for (auto& point : ringPoints) {
        point[0] = static_cast<float>(4.0 * cCos(a));
        point[1] = static_cast<float>(4.0 * cSin(a));
        point[2] = static_cast<float>(2.25 * cSin(5.0f * a + phase));
        a += 6.0f;
    }
    for (int sprite = 0; sprite < 100; ++sprite) {
        const float* point = ringPoints[ringSpriteIndex(sprite)];
        glPushMatrix();
        glTranslatef(point[0], point[1], point[2]);
        glBegin(GL_QUADS);
        texturedQuad(0.0f, 0.0f, 0.1f, 1.0f);
        glEnd();
        glPopMatrix();
    }
}

}  // namespace tev
