// A small scene with everything the subset draws at once (lit, textured,
// fogged and blended quads, from lists and immediate), through the subset
// and through Mesa's pipeline: the pictures must agree within the show's
// tolerance. The focused comparisons live beside this one; this one guards
// the way the pieces combine (state carried between draws and lists).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gl11/gl11.h"
#include "gl11/subset.h"
#include "mesa_table.h"
#include "platform/native/headless_gl.h"

namespace tev::gl11 {
namespace {

constexpr int kSize = 96;

// The ways of lighting, fogging and texturing the box is drawn with.
struct Variant {
    bool directional = false;
    bool localViewer = true;
    bool separate = true;
    float shininess = 20.0f;
    GLenum colorMaterial = GL_AMBIENT_AND_DIFFUSE;  // 0: off
    float attenuation = 0.0f;                       // linear
    GLenum fog = GL_LINEAR;                         // 0: off
    bool textureMatrix = false;
    bool immediate = false;  // the box drawn at once rather than from a list
    bool normalize = false;
};

void scene(int frame, const Variant& variant = {}) {
    glViewport(0, 0, kSize, kSize);
    glClearColor(0.1f, 0.15f, 0.2f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.5, 50.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.0f);
    glRotatef(static_cast<float>(frame) * 13.0f, 0.3f, 1.0f, 0.1f);

    // A luminance texture of a checker with a ramp, mipmapped by GLU.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<uint8_t> pixels(24 * 20);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 24; ++x) {
            pixels[static_cast<size_t>(y * 24 + x)] =
                static_cast<uint8_t>(((x / 4 + y / 4) % 2) ? 230 : 40 + 5 * x);
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_LUMINANCE, 24, 20, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                      pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    const float lightPosition[4] = {2.0f, 3.0f, 1.0f, variant.directional ? 0.0f : 1.0f};
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float ambient[4] = {0.2f, 0.2f, 0.25f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, variant.localViewer ? 1 : 0);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                  variant.separate ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
    float attenuation[1] = {variant.attenuation};
    glLightfv(GL_LIGHT0, 0x1208, attenuation);  // GL_LINEAR_ATTENUATION
    const float material[4] = {0.3f, 0.6f, 0.2f, 0.9f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    if (variant.colorMaterial) {
        glColorMaterial(GL_FRONT_AND_BACK, variant.colorMaterial);
        glEnable(GL_COLOR_MATERIAL);
    }
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, variant.shininess);
    if (variant.textureMatrix) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef(0.3f, 0.1f, 0.0f);
        glScalef(1.5f, 0.75f, 1.0f);
        glMatrixMode(GL_MODELVIEW);
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    if (variant.normalize) {
        glEnable(0x0BA1);  // GL_NORMALIZE
    }
    glEnable(GL_TEXTURE_2D);

    const float fogColor[4] = {0.3f, 0.3f, 0.35f, 1.0f};
    glFogf(GL_FOG_MODE, static_cast<float>(variant.fog ? variant.fog : GL_LINEAR));
    glFogf(GL_FOG_START, 3.0f);
    glFogf(GL_FOG_END, 7.0f);
    glFogf(GL_FOG_DENSITY, 0.2f);
    glFogfv(GL_FOG_COLOR, fogColor);
    if (variant.fog) {
        glEnable(GL_FOG);
    }

    // A box of six faces in a list, normals scaled by 1.3 (not renormalised).
    const GLuint box = glGenLists(1);
    if (!variant.immediate) {
        glNewList(box, GL_COMPILE);
    }
    glScalef(1.3f, 1.3f, 1.3f);
    glBegin(GL_QUADS);
    const float faces[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int f = 0; f < 6; ++f) {
        const float* n = faces[f];
        glNormal3f(n[0], n[1], n[2]);
        glColor4f(0.4f + 0.1f * static_cast<float>(f), 0.7f, 0.9f - 0.1f * static_cast<float>(f),
                  1.0f);
        // Two axes across the face.
        const float u[3] = {n[1] + n[2] == 0 ? 0.0f : 1.0f, n[0] != 0 ? 1.0f : 0.0f, 0.0f};
        float v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2],
                      n[0] * u[1] - n[1] * u[0]};
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int c = 0; c < 4; ++c) {
            const float a = corners[c][0] * 0.5f, b = corners[c][1] * 0.5f;
            glTexCoord2f(corners[c][0] * 1.5f + 0.5f, corners[c][1] + 0.5f);
            glVertex3f(n[0] * 0.5f + a * u[0] + b * v[0], n[1] * 0.5f + a * u[1] + b * v[1],
                       n[2] * 0.5f + a * u[2] + b * v[2]);
        }
    }
    glEnd();
    if (!variant.immediate) {
        glEndList();
        glPushMatrix();
        glCallList(box);
        glPopMatrix();
    }
    // A ring of 40 tiles, each a list that draws and then moves and turns:
    // one glCallLists, many matrices between the quads.
    const GLuint tiles = glGenLists(2);
    for (GLuint t = 0; t < 2; ++t) {
        glNewList(tiles + t, GL_COMPILE);
        glBegin(GL_QUADS);
        glNormal3f(0.0f, 0.3f, 1.1f);
        glColor4f(0.9f, 0.3f + 0.4f * static_cast<float>(t), 0.2f, 1.0f);
        glTexCoord2f(0, 0);
        glVertex3f(-0.1f, -0.1f, 0.0f);
        glTexCoord2f(1, 0);
        glVertex3f(0.1f, -0.1f, 0.0f);
        glTexCoord2f(1, 1);
        glVertex3f(0.1f, 0.1f, 0.05f);
        glTexCoord2f(0, 1);
        glVertex3f(-0.1f, 0.1f, 0.0f);
        glEnd();
        glRotatef(9.0f, 0.0f, 0.0f, 1.0f);
        glTranslatef(0.16f, 0.0f, 0.0f);
        glScalef(1.01f, 1.0f, 1.0f);
        glEndList();
    }
    std::vector<GLubyte> ring(40);
    for (size_t i = 0; i < ring.size(); ++i) {
        ring[i] = static_cast<GLubyte>(i % 3 == 0 ? 1 : 0);
    }
    glPushMatrix();
    glTranslatef(-0.5f, 0.8f, 1.2f);
    glListBase(tiles);
    glCallLists(static_cast<GLsizei>(ring.size()), GL_UNSIGNED_BYTE, ring.data());
    glListBase(0);
    glPopMatrix();
    glDeleteLists(tiles, 2);

    glDisable(GL_COLOR_MATERIAL);
    glDisable(0x0BA1);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);

    // Immediate quads, blended, unlit, over everything.
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kSize, 0.0, kSize, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor4f(1.0f, 0.5f, 0.0f, 0.35f);
    glVertex2f(5.0f, 5.0f);
    glColor4f(0.0f, 0.2f, 1.0f, 0.6f);
    glVertex2f(60.0f, 10.0f);
    glVertex2f(70.0f, 40.0f);
    glColor4f(0.9f, 0.9f, 0.9f, 0.5f);
    glVertex2f(8.0f, 30.0f);
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDeleteLists(box, 1);
    glFlush();
}

struct Difference {
    double over8 = 0;  // share of pixels off by more than 8 in a channel
    double mean = 0;   // mean absolute difference per channel
};

Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    Difference d;
    size_t over = 0;
    double sum = 0;
    for (size_t p = 0; p + 2 < a.size(); p += 3) {
        int worst = 0;
        for (size_t c = 0; c < 3; ++c) {
            const int diff = std::abs(int(a[p + c]) - int(b[p + c]));
            worst = std::max(worst, diff);
            sum += diff;
        }
        over += worst > 8 ? 1 : 0;
    }
    d.over8 = static_cast<double>(over) / static_cast<double>(a.size() / 3);
    d.mean = sum / static_cast<double>(a.size());
    return d;
}

// Colour bits of the show, and of the subset's own buffer.
class SubsetScene : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(SubsetScene, DrawsWhatMesaDrawsWithinTheTolerance) {
    const int bits = GetParam().first;
    std::string error;
    platform::HeadlessGlOptions mesaOptions;
    mesaOptions.colourBits = bits;
    auto mesa = platform::HeadlessGl::create(kSize, kSize, &error, mesaOptions);
    ASSERT_TRUE(mesa) << error;
    platform::HeadlessGlOptions gles;
    gles.gles3 = true;
    gles.colourBits = GetParam().second;
    auto subset = platform::HeadlessGl::create(kSize, kSize, &error, gles);
    ASSERT_TRUE(subset) << error;
    ASSERT_TRUE(subset->makeCurrent());
    SubsetOptions options;
    options.colourBits = bits;
    ASSERT_TRUE(attachSubset(options, &error)) << error;
    for (int frame = 0; frame < 4; ++frame) {
        ASSERT_TRUE(mesa->makeCurrent());
        use(mesaEntries());
        scene(frame);
        const std::vector<uint8_t> expected = mesa->readPixels();
        ASSERT_TRUE(subset->makeCurrent());
        use(subsetEntries());
        scene(frame);
        const std::vector<uint8_t> got = subset->readPixels();
        EXPECT_EQ(subsetError(), GLenum(GL_NO_ERROR));
        const Difference d = compare(expected, got);
        EXPECT_LE(d.over8, 0.01) << "frame " << frame;
        EXPECT_LE(d.mean, 1.5) << "frame " << frame;
        RecordProperty("frame" + std::to_string(frame),
                       std::to_string(d.over8 * 100) + "% over 8, mean " + std::to_string(d.mean));
        std::printf("%d bits on %d, frame %d: %.3f%% over 8, mean %.4f\n", bits, GetParam().second,
                    frame, d.over8 * 100, d.mean);
    }
    ASSERT_TRUE(subset->makeCurrent());
    detachSubset();
    use(Entries{});
}

TEST(SubsetSceneVariants, LightingFogAndTextureMatrixDrawAsMesa) {
    std::vector<std::pair<const char*, Variant>> variants;
    Variant v;
    variants.push_back({"positional, local viewer, separate specular", v});
    v.directional = true;
    variants.push_back({"directional", v});
    v.localViewer = false;
    variants.push_back({"directional, infinite viewer", v});
    v.directional = false;
    variants.push_back({"positional, infinite viewer", v});
    v.separate = false;
    v.shininess = 0.0f;
    variants.push_back({"single colour, shininess 0", v});
    v = Variant{};
    v.colorMaterial = 0;
    v.attenuation = 0.3f;
    variants.push_back({"no colour material, attenuated", v});
    v = Variant{};
    v.colorMaterial = GL_DIFFUSE;
    v.fog = 0x0800;  // GL_EXP
    variants.push_back({"diffuse colour material, exponential fog", v});
    v.colorMaterial = GL_EMISSION;
    v.fog = 0x0801;  // GL_EXP2
    v.textureMatrix = true;
    variants.push_back({"emission colour material, squared fog, texture matrix", v});
    v = Variant{};
    v.fog = 0;
    v.immediate = true;
    variants.push_back({"immediate, no fog", v});
    v = Variant{};
    v.normalize = true;
    variants.push_back({"normals normalised", v});

    std::string error;
    auto mesa = platform::HeadlessGl::create(kSize, kSize, &error);
    ASSERT_TRUE(mesa) << error;
    platform::HeadlessGlOptions gles;
    gles.gles3 = true;
    auto subset = platform::HeadlessGl::create(kSize, kSize, &error, gles);
    ASSERT_TRUE(subset) << error;
    ASSERT_TRUE(subset->makeCurrent());
    ASSERT_TRUE(attachSubset({}, &error)) << error;
    for (const auto& [name, variant] : variants) {
        for (int frame = 0; frame < 3; ++frame) {
            ASSERT_TRUE(mesa->makeCurrent());
            use(mesaEntries());
            scene(frame, variant);
            const std::vector<uint8_t> expected = mesa->readPixels();
            ASSERT_TRUE(subset->makeCurrent());
            use(subsetEntries());
            scene(frame, variant);
            const std::vector<uint8_t> got = subset->readPixels();
            const Difference d = compare(expected, got);
            // Same arithmetic in the same rasteriser: off by a level at most
            // in a handful of pixels.
            EXPECT_LE(d.over8, 0.0) << name << ", frame " << frame;
            EXPECT_LE(d.mean, 0.05) << name << ", frame " << frame;
            std::printf("%s, frame %d: %.3f%% over 8, mean %.4f\n", name, frame, d.over8 * 100,
                        d.mean);
        }
    }
    ASSERT_TRUE(subset->makeCurrent());
    detachSubset();
    use(Entries{});
}

INSTANTIATE_TEST_SUITE_P(ColourBits, SubsetScene,
                         ::testing::Values(std::pair{32, 32}, std::pair{16, 16},
                                           std::pair{16, 32}));

}  // namespace
}  // namespace tev::gl11
