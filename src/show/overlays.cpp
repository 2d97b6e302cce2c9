// Full-view quads laid over the frame: the noise veil, the picture show,
// the black fade-in and the white flash.

#include <algorithm>
#include <cmath>

#include "draw/draw_context.h"
#include "draw/magnified_draw.h"
#include "draw/matrix4.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "proc/crt_random.h"
#include "proc/exact_math.h"
#include "scenes/primitives.h"
#include "show/blocks.h"
#include "show/frame_timer.h"
#include "show/show.h"

namespace tev {

namespace {

float clampUnit(float a) {
    return std::clamp(a, 0.0f, 1.0f);
}

constexpr double kPi = 3.14159265358979323846;

Matrix4 perspective(double fovy, double zNear, double zFar) {  // aspect 1, as gluPerspective
    const double f = 1.0 / std::tan(fovy * kPi / 360.0);
    Matrix4 p;
    p.m[0] = p.m[5] = f;
    p.m[10] = (zFar + zNear) / (zNear - zFar);
    p.m[11] = -1.0;
    p.m[14] = 2.0 * zFar * zNear / (zNear - zFar);
    p.m[15] = 0.0;
    return p;
}

Matrix4 translation(double x, double y, double z) {
    Matrix4 t;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    return t;
}

Matrix4 rotation(double degrees, int axis) {  // about x (0), y (1) or z (2)
    const double c = cCos(degrees * kPi / 180.0), s = cSin(degrees * kPi / 180.0);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    Matrix4 r;
    r.m[a * 4 + a] = c;
    r.m[a * 4 + b] = s;
    r.m[b * 4 + a] = -s;
    r.m[b * 4 + b] = c;
    return r;
}

// Whether the square of half-size `half` at z = depth, under `mvp`, lies
// wholly inside the depth range and covers the view [-1, 1]^2 with a margin
// far beyond the rounding of GL's own single-precision transform.
bool squareCoversView(const Matrix4& mvp, double half, double depth) {
    constexpr double kMargin = 0.01;
    const double corners[4][2] = {{-half, half}, {half, half}, {half, -half}, {-half, -half}};
    double x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        double clip[4];
        mvp.transform(corners[i][0], corners[i][1], depth, clip);
        const double w = clip[3];
        if (!(w > kMargin) || std::fabs(clip[2]) > w * (1.0 - kMargin)) return false;
        x[i] = clip[0] / w;
        y[i] = clip[1] / w;
    }
    // The projected quad is convex: it covers the view when every corner of
    // the view lies on the inner side of each of its edges.
    double turn = 0;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4, k = (i + 2) % 4;
        turn += (x[j] - x[i]) * (y[k] - y[j]) - (y[j] - y[i]) * (x[k] - x[j]);
    }
    const double sign = turn < 0 ? -1.0 : 1.0;
    const double view[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const double ex = x[j] - x[i], ey = y[j] - y[i];
        const double length = std::hypot(ex, ey);
        for (const auto& v : view) {
            const double side = sign * (ex * (v[1] - y[i]) - ey * (v[0] - x[i])) / length;
            if (side < kMargin) return false;
        }
    }
    return true;
}

// Sends a square's geometry (`send` brackets it with glBegin / glEnd).
// Blended with GL_SRC_ALPHA and GL_ONE_MINUS_SRC_ALPHA at full opacity, it
// replaces what lies under it: the blend reads the destination for nothing,
// so the built show sends it unblended and turns blending on again after.
template <class Send>
void sendSquare(const DrawContext& context, bool fullyOpaque, Send send) {
    const bool unblended = fullyOpaque && !context.literal();
    if (unblended) glDisable(GL_BLEND);
    send();
    if (unblended) glEnable(GL_BLEND);
}

}  // namespace

bool whiteFlashCoversView(float t) {
    // Its square under the ring's projection (the ring runs from 45 s), at
    // full opacity until 111 s, replaces every pixel below it.
    if (!(t > 109.5f && t > 45.0f) || whiteFlashAlpha(t) < 1.0f) return false;
    return squareCoversView(perspective(90.0, 0.1, 300.0), 10.0, -1.5);
}

bool pictureShowCoversView(float t) {
    // Only the noise veil draws before it, under the veil's projection.
    if (!(t > 100.0f) || pictureShowAlpha(t) < 1.0f) return false;
    if (!pictures[std::clamp(kept.pictureIndex, 0, 15)].opaque()) return false;
    const Matrix4 modelview = translation(0, 0, -1.5) * rotation(4.0 * cSin(t), 0) *
                              rotation(4.0 * cCos(t), 1) * rotation(2.0 * cSin(t), 2);
    return squareCoversView(perspective(60.0, 1.0, 300.0) * modelview, 1.0, 0.0);
}

void drawNoiseVeil(DrawContext& context, float t, bool seen) {
    loadPerspective(60.0, 1.0, 1.0, 300.0);

    // Fresh noise every frame: bytes 0..254, rows then columns, both bounds
    // from the height. The draws are made even where there is no buffer to
    // hold them, so that every later random draw stays the same.
    const int side = noiseTexture.height;
    const PixelBuffer& pixels = noiseTexture.pixels;
    const bool holds = side > 0 && pixels.size() >= static_cast<size_t>(side) * side;
    if (!seen) randSkip(side > 0 ? static_cast<uint64_t>(side) * side : 0);
    for (int y = 0; seen && y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const auto value = static_cast<uint8_t>(static_cast<int>(255.0f * randomFraction()));
            if (holds) pixels[static_cast<size_t>(y) * side + x] = value;
        }
    }
    noiseTexture.upload();

    flatBlendState(GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, noiseTexture.textureName);
    const float r = randomFraction();
    const double wave = t < 20.0f ? 0.25 * cSin(0.75 * t) + 0.35 : 0.125 * cSin(0.75 * t) + 0.25;
    const auto a = static_cast<float>(0.1f * r + wave);
    glColor4f(1.0f, 1.0f, 1.0f, a);
    if (context.sendsGeometry(a)) {
        glBegin(GL_QUADS);
        tiledQuad(4.0f, 4.0f, 1.0f, -1.5f);
        glEnd();
    } else {
        skipTiledQuad(4.0f, 4.0f);
    }
}

float pictureShowAlpha(float t) {
    return clampUnit((t - 100.0f) * 0.45f);
}

float whiteFlashAlpha(float t) {
    return clampUnit(1.0f - (t - 111.0f) * 0.125f);
}

void pictureStep(int32_t& index, float& timer, double delta) {
    const double sum = timer + delta;
    timer = static_cast<float>(sum);
    if (sum > 0.125) {
        index = std::min(index + 1, 14);
        timer = static_cast<float>(sum - 0.125);
    }
}

void drawPictureShow(DrawContext& context, float t) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.5f);
    glRotatef(static_cast<float>(4.0 * cSin(t)), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(4.0 * cCos(t)), 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(2.0 * cSin(t)), 0.0f, 0.0f, 1.0f);

    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, pictures[std::clamp(kept.pictureIndex, 0, 15)].textureName);
    const float a = pictureShowAlpha(t);
    glColor4f(1.0f, 1.0f, 1.0f, a);
    if (context.sendsGeometry(a)) {
        const bool opaque = a >= 1.0f && pictures[std::clamp(kept.pictureIndex, 0, 15)].opaque();
        // Magnified everywhere at most window sizes: then sent with linear
        // minification, which samples it exactly as its mipmaps would.
        sendSquare(context, opaque, [&] {
            const TexturedQuad quad = texturedQuadCorners(1.0f, 1.0f, 1.0f, 0.0f);
            sendTexturedQuads(context, &quad, 1);
        });
    } else {
        skipTexturedQuad(1.0f, 1.0f);
    }

    // After the draw: a new index shows from the next frame on.
    if (t > 105.0f && t < 115.0f)
        pictureStep(kept.pictureIndex, kept.pictureTimer, frameTimer().delta);
}

void drawBlackFadeIn(DrawContext& context, float t) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    const float a = clampUnit(1.0f - 0.1f * t);
    glColor4f(0.0f, 0.0f, 0.0f, a);
    if (context.sendsGeometry(a)) {
        glBegin(GL_QUADS);
        plainQuad(1.0f, -1.5f);
        glEnd();
    }
}

void drawWhiteFlash(DrawContext& context, float t) {
    kept.pictureIndex = 15;  // the picture the flash reveals
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    flatBlendState(GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    const float a = whiteFlashAlpha(t);
    glColor4f(1.0f, 1.0f, 1.0f, a);
    if (context.sendsGeometry(a)) {
        sendSquare(context, a >= 1.0f, [] {
            glBegin(GL_QUADS);
            plainQuad(1.0f, -1.5f);
            glEnd();
        });
    }
}

}  // namespace tev
