// Text drawn with the bitmap font: the long line scrolling through black
// fog, the pulsing credit line, and the show clock in large flickering
// digits.

#include <cmath>
#include <cstdio>

#include "assets/bitmap_font.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "proc/exact_math.h"
#include "show/blocks.h"

namespace tev {

// 48 words, 246 characters, single spaces, no punctuation.
const char fogText[] =
    "count down from ten and watch the cubes tumble in rows through the noise while words "
    "drift out of the fog one letter at a time and vanish as they came the mirror remembers "
    "your face UNFINISHED so speak its name once more before the clock says NOW";

const char creditLine[] = "drub+pemdra&co.";

namespace {
const float fogColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
}  // namespace

void drawFogText(DrawContext& context, float t) {
    loadPerspective(90.0, 1.0, 1.0, 100.0, Pushed::Both);

    glFogf(GL_FOG_MODE, static_cast<float>(GL_LINEAR));
    glFogf(GL_FOG_DENSITY, 10.0f);  // no effect in linear mode
    glFogf(GL_FOG_START, 30.0f);
    glFogf(GL_FOG_END, 100.0f);
    glFogfv(GL_FOG_COLOR, fogColour);
    glHint(GL_FOG_HINT, GL_NICEST);
    glEnable(GL_FOG);

    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    const float u = t - 40.0f;
    glPushMatrix();
    // Each line's transforms build on the lines before it: line i is
    // displaced about i + 1 times as far, at i + 1 times the depth.
    for (int i = 0; i < 4; ++i) {
        glRotatef(static_cast<float>(-10.0 * cSin(2.0f * u + 0.25f * i)), 1.0f, 0.0f, 0.0f);
        glRotatef(static_cast<float>(-10.0 * cSin(u + 0.25f * i)), 0.0f, 1.0f, 0.0f);
        glTranslatef(30.0f - (0.12f * i + 4.0f * u), -10.0f, -20.0f);
        const float s = static_cast<float>(i / 2) + 0.25f;
        const auto a = static_cast<float>(0.5 * std::fabs(cSin(0.5 * t + i)) + 0.05);
        bitmapFont().draw(context, false, 0, 0, fogText, s, s, a);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void drawCreditLine(DrawContext& context, float t) {
    loadPerspective(90.0, 1.0, 0.1, 100.0);
    flatBlendState(GL_ONE);
    for (int k = 0; k < 8; ++k) {
        glPushMatrix();
        glTranslatef(0.0f, 20.0f, -80.0f);
        const auto alpha = static_cast<float>(0.25 * cSin(t + 0.25 * k) + 0.05);
        bitmapFont().draw(context, true, 0, -85, creditLine, 0.25f * k + 0.1f, 0.5f * k + 0.1f,
                          alpha);
        glPopMatrix();
    }
}

std::string clockReadoutText(float t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0.2f", static_cast<double>(t));
    return buffer;
}

float clockReadoutBrightness(float t) {
    float b = (t - 100.0f) * 0.2f;
    if (b < 0.0f) {
        b = 0.0f;
    } else if (b > 0.4f) {
        b = 0.4f;
    }
    return b;
}

void drawClockReadout(DrawContext& context, float t) {
    loadPerspective(90.0, 1.0, 1.0, 100.0);
    glTranslatef(0.0f, -10.0f, -40.0f);
    flatBlendState(GL_ONE);
    const float b = clockReadoutBrightness(t);
    const std::string text = clockReadoutText(t);
    const float a = b - 0.3f * randomFraction();  // flickers; may be negative
    bitmapFont().draw(context, true, 0, 0, text.c_str(), 4.0f, 4.0f, a);
}

}  // namespace tev
