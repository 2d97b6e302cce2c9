// Quads of a mipmapped texture sent with linear minification where no
// fragment minifies: the bound on texels per pixel against exact scales
// and a brute-force scan of perspective, and the quads as the built show
// sends them against the literal stream, pixel for pixel.

#include "draw/magnified_draw.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <limits>
#include <vector>

#include "draw/draw_context.h"
#include "gl_test.h"

namespace tev {
namespace {

constexpr double kPi = 3.14159265358979323846;

TexturedQuad square(float x0, float y0, float x1, float y1, float z, float s0, float t0, float s1,
                    float t1) {
    return {{{s0, t0}, {s1, t0}, {s1, t1}, {s0, t1}},
            {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}}};
}

class Magnification : public test::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    static void ortho() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

TEST_F(Magnification, AnAffineMappingIsBoundByItsOwnScale) {
    ortho();
    const MagnificationBound bound;
    // 64 x 32 texels over 128 x 128 pixels: 0.5 across, 0.25 up.
    EXPECT_NEAR(bound.quadTexelsPerPixel(square(0, 0, 1, 1, 0, 0, 0, 1, 1), 64, 32), 0.5, 1e-9);
    // Twice the texture across the same pixels, and a shear (s = x + y).
    EXPECT_NEAR(bound.quadTexelsPerPixel(square(0, 0, 1, 1, 0, 0, 0, 2, 1), 64, 32), 1.0, 1e-9);
    TexturedQuad sheared = square(0, 0, 1, 1, 0, 0, 0, 0, 0);
    for (int k = 0; k < 4; ++k)
        sheared.st[k][0] = sheared.xyz[k][0] + sheared.xyz[k][1];
    EXPECT_NEAR(bound.quadTexelsPerPixel(sheared, 64, 32), 0.5, 1e-9);
    // The texture matrix counts: a flip keeps the scale, a scale doubles it.
    glMatrixMode(GL_TEXTURE);
    glRotatef(180, 1, 0, 0);
    glScalef(2, 2, 1);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_NEAR(MagnificationBound().quadTexelsPerPixel(square(0, 0, 1, 1, 0, 0, 0, 1, 1), 64, 32),
                1.0, 1e-6);
}

// The largest scale factor of the differences between neighbouring pixels
// whose centres both see the square (-2, -2)-(2, 2) at z = 0, mapped to
// (0, 0)-(1, 1), under perspective(60, 1, 1, 100) and the modelview
// translate(0, 0, -3) rotate(angle, 1, 0, 0): exact, in double precision.
double scanScale(double angle, int size, int width, int height) {
    const double rad = angle * kPi / 180.0, c = std::cos(rad), s = std::sin(rad);
    const double origin[3] = {0, 0, -3};
    const double e1[3] = {1, 0, 0}, e2[3] = {0, c, s}, normal[3] = {0, -s, c};
    const double f = std::tan(30.0 * kPi / 180.0);
    struct Hit {
        bool ok;
        double s, t;
    };
    auto hit = [&](double px, double py) -> Hit {
        const double d[3] = {(2 * px / size - 1) * f, (2 * py / size - 1) * f, -1};
        const double nd = normal[0] * d[0] + normal[1] * d[1] + normal[2] * d[2];
        const double no = normal[0] * origin[0] + normal[1] * origin[1] + normal[2] * origin[2];
        if (std::fabs(nd) < 1e-12) return {false, 0, 0};
        const double lambda = no / nd;
        if (lambda < 1 || lambda > 100) return {false, 0, 0};
        double p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = lambda * d[i] - origin[i];
        const double a = p[0] * e1[0] + p[1] * e1[1] + p[2] * e1[2];
        const double b = p[0] * e2[0] + p[1] * e2[1] + p[2] * e2[2];
        if (std::fabs(a) > 2 || std::fabs(b) > 2) return {false, 0, 0};
        return {true, (a + 2) / 4, (b + 2) / 4};
    };
    double worst = 0;
    for (int y = 0; y + 1 < size; ++y) {
        for (int x = 0; x + 1 < size; ++x) {
            const Hit h = hit(x + 0.5, y + 0.5), hx = hit(x + 1.5, y + 0.5),
                      hy = hit(x + 0.5, y + 1.5);
            if (!h.ok || !hx.ok || !hy.ok) continue;
            const double rx = std::hypot(width * (hx.s - h.s), height * (hx.t - h.t));
            const double ry = std::hypot(width * (hy.s - h.s), height * (hy.t - h.t));
            worst = std::max({worst, rx, ry});
        }
    }
    return worst;
}

TEST_F(Magnification, APerspectiveBoundCoversEveryPixelAndStaysClose) {
    for (double angle : {0.0, -30.0, -60.0, -75.0}) {
        SCOPED_TRACE("angle " + std::to_string(angle));
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60, 1, 1, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -3);
        glRotatef(static_cast<float>(angle), 1, 0, 0);
        const double bound =
            MagnificationBound().quadTexelsPerPixel(square(-2, -2, 2, 2, 0, 0, 0, 1, 1), 256, 256);
        const double exact = scanScale(angle, kWidth, 256, 256);
        ASSERT_GT(exact, 0.0);
        EXPECT_GE(bound, exact);
        // Loose where the plane recedes steeply, but of the same order.
        EXPECT_LE(bound, 3.0 * exact);
    }
}

TEST_F(Magnification, QuadsOutOfViewBoundToZeroAndUnknownOnesToInfinity) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const MagnificationBound bound;
    EXPECT_EQ(bound.quadTexelsPerPixel(square(-1, -1, 1, 1, 5, 0, 0, 1, 1), 64, 64), 0.0);
    EXPECT_EQ(bound.quadTexelsPerPixel(square(50, -1, 52, 1, -5, 0, 0, 1, 1), 64, 64), 0.0);
    EXPECT_EQ(bound.quadTexelsPerPixel(square(-1, -1, 1, 1, -0.5f, 0, 0, 1, 1), 64, 64), 0.0);
    // Through the eye: only its part in front counts, and it is finite.
    const TexturedQuad crossing = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                                   {{-1, -1, 5}, {1, -1, 5}, {1, -1, -20}, {-1, -1, -20}}};
    const double crossingBound = bound.quadTexelsPerPixel(crossing, 64, 64);
    EXPECT_GT(crossingBound, 0.0);
    EXPECT_LT(crossingBound, std::numeric_limits<double>::infinity());
    // Seen edge-on: a plane through the eye.
    const TexturedQuad edgeOn = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                                 {{0, -1, -2}, {0, 1, -2}, {0, 1, -5}, {0, -1, -5}}};
    EXPECT_EQ(bound.quadTexelsPerPixel(edgeOn, 64, 64), std::numeric_limits<double>::infinity());
    // A projective texture matrix.
    glMatrixMode(GL_TEXTURE);
    const GLfloat projective[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glLoadMatrixf(projective);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(MagnificationBound().quadTexelsPerPixel(square(-1, -1, 1, 1, -2, 0, 0, 1, 1), 64, 64),
              std::numeric_limits<double>::infinity());
}

// A 4 x 4 texture whose three levels are red, green and blue, so that any
// sample taken from a level other than the first shows.
GLuint levelColouredTexture(bool complete) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const uint8_t colours[3][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
    for (int level = 0; level < (complete ? 3 : 1); ++level) {
        const int side = 4 >> level;
        std::vector<uint8_t> texels;
        for (int i = 0; i < side * side; ++i) {
            // Level 0 varies, so linear filtering has something to blend.
            const uint8_t shade = level == 0 ? static_cast<uint8_t>(120 + 40 * (i % 3)) : 255;
            texels.insert(texels.end(), {static_cast<uint8_t>(colours[level][0] * shade / 255),
                                         colours[level][1], colours[level][2], 255});
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

class LinearMinification : public Magnification {
  protected:
    struct Sent {
        std::vector<uint8_t> pixels;
        uint64_t linear;
        GLint minFilter;
    };
    Sent send(bool literal, const std::vector<TexturedQuad>& quads) {
        glClearColor(0.2f, 0.2f, 0.2f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor4f(1, 1, 1, 1);
        DrawContext context;
        context.stream = literal ? GlStream::Literal : GlStream::Built;
        sendTexturedQuads(context, quads.data(), quads.size());
        Sent sent{gl->readPixels(), context.counts.linearMinifiedQuads, 0};
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &sent.minFilter);
        return sent;
    }
};

TEST_F(LinearMinification, MagnifiedRunsGoLinearWithTheSamePixelsAndTheFilterComesBack) {
    ortho();
    levelColouredTexture(true);
    // Big quads (16 or 32 pixels a texel) around a tiny one (two texels a
    // pixel) that none of them covers: three runs, the middle one minified.
    const std::vector<TexturedQuad> quads = {square(0.0f, 0.0f, 0.5f, 1.0f, 0, 0, 0, 0.5f, 1),
                                             square(0.5f, 0.0f, 1.0f, 0.5f, 0, 0.5f, 0, 1, 0.5f),
                                             square(0.6f, 0.6f, 0.6156f, 0.6156f, 0, 0, 0, 1, 1),
                                             square(0.75f, 0.75f, 1.0f, 1.0f, 0, 0, 0, 1, 1)};
    const Sent literal = send(true, quads);
    const Sent built = send(false, quads);
    EXPECT_EQ(literal.linear, 0u);
    EXPECT_EQ(built.linear, 3u);  // the first two and the last
    EXPECT_EQ(built.pixels, literal.pixels);
    EXPECT_EQ(built.minFilter, GL_NEAREST_MIPMAP_LINEAR);
    // The tiny quad really samples the smaller levels (no red), the big
    // ones only the first (red).
    const auto tiny = pixelAt(78, kHeight - 1 - 78);
    EXPECT_EQ(tiny[0], 0) << "the tiny quad should be minified";
    const auto big = pixelAt(20, 20);
    EXPECT_GT(big[0], 100);
    EXPECT_EQ(big[1], 0);
}

TEST_F(LinearMinification, OtherTexturesAndTheLiteralStreamAreSentAsTheyAre) {
    ortho();
    const std::vector<TexturedQuad> whole = {square(0, 0, 1, 1, 0, 0, 0, 1, 1)};
    // Incomplete: GL_LINEAR would make it complete and change the colour.
    levelColouredTexture(false);
    const Sent incompleteLiteral = send(true, whole);
    const Sent incompleteBuilt = send(false, whole);
    EXPECT_EQ(incompleteBuilt.linear, 0u);
    EXPECT_EQ(incompleteBuilt.pixels, incompleteLiteral.pixels);
    // Nearest magnification, and no mipmaps at all.
    levelColouredTexture(true);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    EXPECT_EQ(send(false, whole).linear, 0u);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    EXPECT_EQ(send(false, whole).linear, 0u);
    EXPECT_EQ(send(false, whole).minFilter, GL_LINEAR);
}

}  // namespace
}  // namespace tev
