// Full-view quads laid over the frame: the noise veil, the picture show,
// the black fade-in and the white flash.

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "scenes/primitives.h"
#include "shell/frame_timer.h"
#include "show/blocks.h"
#include "show/show.h"

namespace tev {

int32_t pictureIndex = 0;
float pictureTimer = 0.0f;

namespace {
float clampUnit(float a) { return std::clamp(a, 0.0f, 1.0f); }
}  // namespace

void drawNoiseVeil(float t) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Fresh noise every frame: bytes 0..254, rows then columns.
    uint8_t* pixels = noiseTexture.pixels.get();
    if (pixels != nullptr) {
        const int side = noiseTexture.height;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                pixels[y * side + x] = static_cast<uint8_t>(static_cast<int>(255.0f * randomFraction()));
            }
        }
    }
    noiseTexture.upload();

    flatBlendState(GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, noiseTexture.textureName);
    const float r = randomFraction();
    const double wave = t < 20.0f ? 0.25 * std::sin(0.75 * t) + 0.35 : 0.125 * std::sin(0.75 * t) + 0.25;
    const auto a = static_cast<float>(0.1f * r + wave);
    glColor4f(1.0f, 1.0f, 1.0f, a);
    glBegin(GL_QUADS);
    tiledQuad(4.0f, 4.0f, 1.0f, -1.5f);
    glEnd();
}

void pictureStep(int32_t& index, float& timer, double delta) {
    const double sum = timer + delta;
    timer = static_cast<float>(sum);
    if (sum > 0.125) {
        index = std::min(index + 1, 14);
        timer = static_cast<float>(sum - 0.125);
    }
}

void drawPictureShow(float t) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.5f);
    glRotatef(static_cast<float>(4.0 * std::sin(t)), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(4.0 * std::cos(t)), 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(2.0 * std::sin(t)), 0.0f, 0.0f, 1.0f);

    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, pictures[std::clamp(pictureIndex, 0, 15)].textureName);
    glColor4f(1.0f, 1.0f, 1.0f, clampUnit((t - 100.0f) * 0.45f));
    glBegin(GL_QUADS);
    texturedQuad(1.0f, 1.0f, 1.0f, 0.0f);
    glEnd();

    // After the draw: a new index shows from the next frame on.
    if (t > 105.0f && t < 115.0f) pictureStep(pictureIndex, pictureTimer, frameTimer().delta);
}

void drawBlackFadeIn(float t) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, clampUnit(1.0f - 0.1f * t));
    glBegin(GL_QUADS);
    plainQuad(1.0f, -1.5f);
    glEnd();
}

void drawWhiteFlash(float t) {
    pictureIndex = 15;  // the picture the flash reveals
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, clampUnit(1.0f - (t - 111.0f) * 0.125f));
    glBegin(GL_QUADS);
    plainQuad(1.0f, -1.5f);
    glEnd();
}

}  // namespace tev
