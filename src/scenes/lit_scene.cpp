#include "scenes/lit_scene.h"

#include <cmath>

#include "draw/draw_context.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "proc/crt_random.h"
#include "proc/exact_math.h"
#include "scenes/primitives.h"

namespace tev {

float lightAmbient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
float lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float lightSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
float lightPosition[4] = {0.3f, 10.3f, -2.8f, 0.0f};

void drawCubeChain(Vector3 translate, Vector3 scale, Vector3 rotation, float depth,
                   bool sendGeometry) {
    if (!(depth > 0.0f)) return;
    glPushMatrix();
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    glTranslatef(translate.x, translate.y, translate.z);
    glScalef(scale.x, scale.y, scale.z);
    if (sendGeometry) {
        drawCube(1.0f);
    } else {
        skipCube(1.0f);
    }
    drawCubeChain(translate, scale, rotation, depth - 1.0f, sendGeometry);
    glPopMatrix();
}

float litSceneAlpha(float t) {
    if (t < 6.0f) {
        const float fraction = static_cast<float>(rand()) / 32768.0f;
        return t * 0.125f - fraction * 0.125f;
    }
    if (t < 14.0f) return 0.75f;
    const float fraction = static_cast<float>(rand()) / 32768.0f;
    return 0.75f - (fraction * 0.1f + (t - 14.0f) * 0.125f);
}

void drawLitScene(DrawContext& context, float x, float y, float z, float now, float start,
                  bool depthReadLater) {
    const float t = now - start;
    loadPerspective(90.0, 1.0, 1.0, 1000.0);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);

    const float a = t * 0.5f;
    lightPosition[0] = static_cast<float>(cSin(a) * 40.0);
    lightPosition[1] = static_cast<float>(cSin(a) * 30.0 + 10.0);
    lightPosition[2] = static_cast<float>(cCos(a) * 42.0);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, lightAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, lightDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, lightSpecular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, lightAmbient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModelf(GL_LIGHT_MODEL_COLOR_CONTROL, static_cast<float>(GL_SEPARATE_SPECULAR_COLOR));

    glTranslatef(x, y, z);
    const float b = t * 0.01f;
    const auto tumble = static_cast<float>(cSin(b) * 360.0);
    glRotatef(tumble, 1.0f, 0.0f, 0.0f);
    glRotatef(tumble, 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(cCos(b) * 360.0), 0.0f, 0.0f, 1.0f);

    const Vector3 curl{static_cast<float>(cSin(t) * 10.0), static_cast<float>(cSin(t) * 12.0),
                       static_cast<float>(cCos(t) * 10.0)};
    const Vector3 armScale{0.9f, 0.9f, 0.9f};

    const float alpha = litSceneAlpha(t);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    // At alpha <= 0 the cubes add no colour under either blend the timeline
    // sets; what they leave is depth, which only matters to a later reader.
    const bool send = depthReadLater || context.sendsGeometry(alpha);
    if (send) {
        drawCube(0.9f);
    } else {
        skipCube(0.9f);
    }
    const Vector3 offsets[6] = {{1.85f, 0, 0},  {-1.85f, 0, 0}, {0, 1.85f, 0},
                                {0, -1.85f, 0}, {0, 0, 1.85f},  {0, 0, -1.85f}};
    for (const Vector3& offset : offsets)
        drawCubeChain(offset, armScale, curl, 20.0f, send);
    glDisable(GL_LIGHTING);
}

}  // namespace tev
