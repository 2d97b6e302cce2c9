// The subset against Mesa's own fixed-function pipeline, pixel for pixel,
// on small scenes that each stress one thing that is easy to get wrong:
// how quads are split, which mipmap level is sampled and what it holds,
// lighting under scaled normals, fog, blending, culling, scissor and depth,
// and the 16-bit colour path. Every scene is one sequence of calls through
// gl11::entries, drawn once by each.
//
// Where the subset is not built in yet, the Mesa half still runs: each
// scene must draw what it is meant to show (the tests of that are the
// "Mesa..." ones), and the comparisons are skipped.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <vector>

#include "gl11/gl11.h"
#include "pixel_compare.h"

namespace tev::test {
namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;

// ---------------------------------------------------------------- helpers

void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// One unit per pixel, origin at the lower left, z from -10 to 10.
void pixelProjection() {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void perspectiveProjection() {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, double(kWidth) / kHeight, 1.0, 40.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct Vertex {
    float x, y, z;
    float r, g, b, a;
};

// A quad from its four vertices, starting at `first` (so that the same
// quad can be handed over with its corners in another order).
void quad(const Vertex (&v)[4], int first = 0) {
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        const Vertex& p = v[(first + i) % 4];
        glColor4f(p.r, p.g, p.b, p.a);
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
}

void flatQuad(float x0, float y0, float x1, float y1, float z, float r, float g, float b,
              float a = 1) {
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x0, y1, z);
    glEnd();
}

// A kite whose opposite corners differ in colour: its two triangles show
// which diagonal split it.
const Vertex kKite[4] = {{6, 6, 0, 1, 0, 0, 1},
                         {58, 14, 0, 0, 1, 0, 1},
                         {54, 90, 0, 0, 0, 1, 1},
                         {10, 58, 0, 1, 1, 1, 1}};
// A quad bent in depth through a flat grey plane at z = 0: where it pokes
// through depends on the split.
const Vertex kBent[4] = {{70, 8, -6, 1, 1, 0, 1},
                         {122, 8, 6, 1, 1, 0, 1},
                         {122, 88, -6, 1, 0.5f, 0, 1},
                         {70, 88, 6, 1, 0.5f, 0, 1}};

void bentOverPlane(int first) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    flatQuad(66, 4, 126, 92, 0, 0.5f, 0.5f, 0.5f);
    quad(kBent, first);
}

// The pixels that differ by more than 8 levels, as a share of the picture.
double shareOffBy8(const Picture& a, const Picture& b) {
    const PixelDifference d = comparePictures(a, b, 8);
    return d.pixels > 0 ? double(d.offBy8) / d.pixels : 0;
}

size_t distinctColours(const Picture& p) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < p.rgb.size(); i += 3) {
        colours.insert(uint32_t(p.rgb[i]) << 16 | uint32_t(p.rgb[i + 1]) << 8 | p.rgb[i + 2]);
    }
    return colours.size();
}

// A texture with structure at every scale (so that every level of it is
// its own picture) and noise on top; mipmapped by gluBuild2DMipmaps.
unsigned makeTexture(GLenum minFilter, GLenum magFilter) {
    constexpr int kSize = 64;
    std::vector<uint8_t> pixels(kSize * kSize * 4);
    std::mt19937 random(7);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            uint8_t* p = &pixels[(y * kSize + x) * 4];
            const float wave = std::sin(x * 0.35f) * std::cos(y * 0.22f);
            const int noise = int(random() % 81) - 40;
            p[0] = uint8_t(std::clamp(int(128 + 90 * wave) + noise, 0, 255));
            p[1] = uint8_t(std::clamp((x * 4 + y * 2) % 256 + noise / 2, 0, 255));
            p[2] = uint8_t(((x / 8 + y / 8) % 2) * 200 + int(random() % 56));
            p[3] = 255;
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(magFilter));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return name;
}

// A 16-pixel square showing the 64-texel texture at a level of detail
// `lod` (texels per pixel = 2^lod), offset off the texel centres.
void texturedSquare(float x, float y, float lod) {
    const float repeats = 16.0f * std::pow(2.0f, lod) / 64.0f;
    const float s0 = 0.0137f, t0 = 0.0291f;
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x, y);
    glTexCoord2f(s0 + repeats, t0);
    glVertex2f(x + 16, y);
    glTexCoord2f(s0 + repeats, t0 + repeats);
    glVertex2f(x + 16, y + 16);
    glTexCoord2f(s0, t0 + repeats);
    glVertex2f(x, y + 16);
    glEnd();
}

// A row of squares, one for each level 0..6, at `lod` = level + offset.
void mipmapRow(float y, float offset) {
    for (int level = 0; level <= 6; ++level) {
        texturedSquare(2 + level * 18.0f, y, level + offset);
    }
}

// Four quads lit by LIGHT0 in each of three rows, each row under another
// modelview scale (0.9, 1, 1.15) with its geometry scaled back, so only the
// normals' lengths change from row to row (GL 1.1 does not renormalise).
void litGrid(bool colourMaterial) {
    const float normals[4][4][3] = {
        {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}},
        {{0, 0, 1.08f}, {0, 0, 1.08f}, {0, 0, 1.08f}, {0, 0, 1.08f}},
        {{0.45f, 0.45f, 0.72f}, {0.45f, 0.45f, 0.72f}, {0.3f, -0.4f, 0.8f}, {0.3f, -0.4f, 0.8f}},
        {{0.6f, 0, 0.8f}, {-0.6f, 0, 0.8f}, {0, 0.7f, 0.75f}, {0, -0.6f, 0.85f}},
    };
    const float colours[4][3] = {{1, 0.2f, 0.2f}, {0.2f, 1, 0.3f}, {0.3f, 0.4f, 1}, {1, 1, 0.4f}};
    const float scales[3] = {0.9f, 1, 1.15f};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            glPushMatrix();
            glTranslatef(-3.3f + col * 2.2f, -2.2f + row * 2.2f, -7);
            glRotatef(15.0f * (col - 1.5f), 0, 1, 0);
            const float s = scales[row];
            glScalef(s, s, s);
            const float h = 0.95f / s;
            const float corners[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
            if (colourMaterial) glColor4f(colours[col][0], colours[col][1], colours[col][2], 1);
            glBegin(GL_QUADS);
            for (int v = 0; v < 4; ++v) {
                glNormal3f(normals[col][v][0], normals[col][v][1], normals[col][v][2]);
                glTexCoord2f(corners[v][0] * s * 0.7f, corners[v][1] * s * 0.7f);
                glVertex3f(corners[v][0], corners[v][1], 0);
            }
            glEnd();
            glPopMatrix();
        }
    }
}

void setUpLight(bool positional, bool localViewer, bool separateSpecular) {
    const float position[4] = {1.5f, 2.5f, 1.0f, positional ? 1.0f : 0.0f};
    const float ambient[4] = {0.1f, 0.1f, 0.12f, 1};
    const float diffuse[4] = {0.7f, 0.65f, 0.55f, 1};
    const float specular[4] = {0.8f, 0.8f, 0.8f, 1};
    const float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, localViewer ? 1 : 0);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                  separateSpecular ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void setUpMaterial() {
    const float ambient[4] = {0.3f, 0.3f, 0.35f, 1};
    const float diffuse[4] = {0.7f, 0.6f, 0.5f, 1};
    const float specular[4] = {0.6f, 0.6f, 0.5f, 1};
    const float emission[4] = {0.05f, 0.02f, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 24);
}

// ----------------------------------------------------------------- scenes

void sceneQuadsImmediate(int first) {
    pixelProjection();
    clearTo(0.1f, 0.1f, 0.15f);
    quad(kKite, first);
    bentOverPlane(first);
}

// The same quads replayed from display lists: compiled only, then called;
// called again by glCallLists through glListBase.
void sceneQuadsFromLists() {
    pixelProjection();
    clearTo(0.1f, 0.1f, 0.15f);
    const GLuint base = glGenLists(2);
    glNewList(base, GL_COMPILE);
    quad(kKite);
    glEndList();
    glNewList(base + 1, GL_COMPILE);
    bentOverPlane(0);
    glEndList();
    glCallList(base);
    glCallList(base + 1);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    glListBase(base);
    const GLubyte names[1] = {0};
    glCallLists(1, GL_UNSIGNED_BYTE, names);
    glPopMatrix();
    glDeleteLists(base, 2);
}

// Compiled and executed at once: drawn as the list is made.
void sceneQuadsCompileAndExecute() {
    pixelProjection();
    clearTo(0.1f, 0.1f, 0.15f);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE_AND_EXECUTE);
    quad(kKite);
    bentOverPlane(0);
    glEndList();
    glDeleteLists(list, 1);
}

void sceneMipmapsNearest() {
    pixelProjection();
    clearTo(0, 0, 0);
    makeTexture(GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    mipmapRow(4, 0.25f);   // well inside each level
    mipmapRow(24, -0.3f);  // below the level: still that level, magnified at 0
    mipmapRow(44, 0.4f);
    mipmapRow(64, 0.1f);
}

void sceneMipmapsLinear(GLenum minFilter) {
    pixelProjection();
    clearTo(0, 0, 0);
    makeTexture(minFilter, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    mipmapRow(4, 0.5f);
    mipmapRow(24, 0.2f);
    mipmapRow(44, 0.8f);
    mipmapRow(64, -0.5f);  // magnified at level 0
}

// A floor receding into the distance, textured: every level in turn.
void sceneMipmapsPerspective() {
    perspectiveProjection();
    clearTo(0.2f, 0.2f, 0.3f);
    makeTexture(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-4, -1.5f, -1.2f);
    glTexCoord2f(6, 0);
    glVertex3f(4, -1.5f, -1.2f);
    glTexCoord2f(6, 60);
    glVertex3f(4, -1.5f, -38);
    glTexCoord2f(0, 60);
    glVertex3f(-4, -1.5f, -38);
    glEnd();
}

void sceneLighting(bool positional, bool localViewer, bool separateSpecular, bool textured) {
    perspectiveProjection();
    clearTo(0.05f, 0.05f, 0.1f);
    glEnable(GL_DEPTH_TEST);
    if (textured) {
        makeTexture(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
        glEnable(GL_TEXTURE_2D);
    }
    setUpLight(positional, localViewer, separateSpecular);
    setUpMaterial();
    litGrid(false);
}

// A lit cube chain: a display-listed cube under a recursive push, rotate,
// translate and scale by 0.9, twenty deep, so that the normals grow to
// about eight times unit length; a directional light, a local viewer, the
// separate specular sum, colour material, materials for the front only,
// blended. Shininess 128 with normals that long overflows the specular
// factor to infinity, and the light's zero specular makes that NaN.
void cubeChainCube() {
    static const float kFaces[6][3] = {{0, 0, -1}, {0, 0, 1},  {-1, 0, 0},
                                       {1, 0, 0},  {0, -1, 0}, {0, 1, 0}};
    for (const auto& n : kFaces) {
        // The four corners around the face, counter-clockwise seen from outside.
        const int a = n[0] != 0 ? 0 : n[1] != 0 ? 1 : 2;
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        const float side = n[a];
        const float corners[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
        glBegin(GL_QUADS);
        for (int v = 0; v < 4; ++v) {
            float p[3];
            p[a] = side * 0.9f;
            p[b] = corners[v][0] * 0.9f;
            p[c] = corners[v][1] * side * 0.9f;
            glNormal3f(n[0], n[1], n[2]);
            glTexCoord2f(corners[v][0] * 0.5f + 0.5f, corners[v][1] * 0.5f + 0.5f);
            glVertex3f(p[0], p[1], p[2]);
        }
        glEnd();
    }
}

void cubeChainArm(const float* offset, const float* curl, int depth, GLuint list) {
    if (depth == 0) return;
    glPushMatrix();
    glRotatef(curl[0], 1, 0, 0);
    glRotatef(curl[1], 0, 1, 0);
    glRotatef(curl[2], 0, 0, 1);
    glTranslatef(offset[0], offset[1], offset[2]);
    glScalef(0.9f, 0.9f, 0.9f);
    glCallList(list);
    cubeChainArm(offset, curl, depth - 1, list);
    glPopMatrix();
}

void sceneCubeChain(float t) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    clearTo(0.8f, 0.78f, 0.76f);
    makeTexture(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 1};
    const float white[4] = {1, 1, 1, 1};
    const float none[4] = {0, 0, 0, 1};
    const float position[4] = {40 * std::sin(t * 0.5f), 30 * std::sin(t * 0.5f) + 10,
                               42 * std::cos(t * 0.5f), 0};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT, GL_SPECULAR, none);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModelf(GL_LIGHT_MODEL_COLOR_CONTROL, float(GL_SEPARATE_SPECULAR_COLOR));
    glTranslatef(7, -7, -16);
    const float tumble = 360 * std::sin(t * 0.01f);
    glRotatef(tumble, 1, 0, 0);
    glRotatef(tumble, 0, 1, 0);
    glRotatef(360 * std::cos(t * 0.01f), 0, 0, 1);
    const float curl[3] = {10 * std::sin(t), 12 * std::sin(t), 10 * std::cos(t)};
    glColor4f(1, 1, 1, 0.75f);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE_AND_EXECUTE);
    cubeChainCube();
    glEndList();
    const float offsets[6][3] = {{1.85f, 0, 0},  {-1.85f, 0, 0}, {0, 1.85f, 0},
                                 {0, -1.85f, 0}, {0, 0, 1.85f},  {0, 0, -1.85f}};
    for (const auto& offset : offsets)
        cubeChainArm(offset, curl, 20, list);
    glDisable(GL_LIGHTING);
    glDeleteLists(list, 1);
}

void sceneColourMaterial() {
    perspectiveProjection();
    clearTo(0.05f, 0.05f, 0.1f);
    glEnable(GL_DEPTH_TEST);
    setUpLight(true, true, false);
    setUpMaterial();
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    litGrid(true);
    glDisable(GL_COLOR_MATERIAL);
}

void sceneFog() {
    perspectiveProjection();
    const float fogColour[4] = {0.55f, 0.6f, 0.7f, 1};
    clearTo(0.55f, 0.6f, 0.7f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glFogf(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 3);
    glFogf(GL_FOG_END, 16);
    glFogfv(GL_FOG_COLOR, fogColour);
    glHint(GL_FOG_HINT, GL_NICEST);
    // A floor into the fog, then upright squares at growing depths.
    glBegin(GL_QUADS);
    glColor4f(0.9f, 0.3f, 0.1f, 1);
    glVertex3f(-6, -1.5f, -1.2f);
    glVertex3f(6, -1.5f, -1.2f);
    glColor4f(0.1f, 0.9f, 0.2f, 1);
    glVertex3f(6, -1.5f, -30);
    glVertex3f(-6, -1.5f, -30);
    glEnd();
    for (int i = 0; i < 6; ++i) {
        const float z = -2.5f - 3.0f * i;
        const float x = -2.5f + i * 1.1f;
        flatQuad(x - 0.5f, -0.6f, x + 0.5f, 0.6f, z, 1, 1, 0.2f * i);
    }
    glDisable(GL_FOG);
}

void sceneBlending() {
    pixelProjection();
    clearTo(0, 0, 0);
    // A smooth background: every level of every channel somewhere.
    glBegin(GL_QUADS);
    glColor4f(0, 0, 0, 1);
    glVertex2f(0, 0);
    glColor4f(1, 0, 0.5f, 1);
    glVertex2f(kWidth, 0);
    glColor4f(1, 1, 1, 1);
    glVertex2f(kWidth, kHeight);
    glColor4f(0, 1, 0.5f, 1);
    glVertex2f(0, kHeight);
    glEnd();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    flatQuad(8, 8, 70, 60, 0, 0.2f, 0.4f, 1, 0.25f);
    flatQuad(30, 20, 100, 80, 0, 1, 0.8f, 0.1f, 0.5f);
    flatQuad(50, 40, 120, 90, 0, 0.3f, 1, 0.6f, 0.75f);
    glBlendFunc(GL_ONE, GL_ONE);
    flatQuad(4, 50, 40, 92, 0, 0.3f, 0.2f, 0.1f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    flatQuad(90, 4, 124, 40, 0, 0.6f, 0.3f, 0.9f, 0.4f);
    glDisable(GL_BLEND);
}

// A 16 x 16 luminance texture holding every level once, modulated by grey
// 0.75: a quarter of the levels land on a tie (level * 0.75 = n + 0.5), so
// a texel sampled with less than single precision rounds the other way.
// Then eight layers of it added with GL_SRC_ALPHA, GL_ONE, as the show's
// texture layers are, on a receding quad.
void sceneModulatedLevels(bool layered) {
    std::vector<uint8_t> levels(16 * 16);
    for (size_t i = 0; i < levels.size(); ++i)
        levels[i] = uint8_t(i);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 1, 16, 16, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, levels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    if (!layered) {
        pixelProjection();
        clearTo(0, 0, 0);
        glColor4f(0.75f, 0.75f, 0.75f, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0, 0);
        glTexCoord2f(1, 0);
        glVertex2f(kWidth, 0);
        glTexCoord2f(1, 1);
        glVertex2f(kWidth, kHeight);
        glTexCoord2f(0, 1);
        glVertex2f(0, kHeight);
        glEnd();
        return;
    }
    perspectiveProjection();
    clearTo(0, 0, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    for (int layer = 0; layer < 8; ++layer) {
        glColor4f(0.75f, 0.75f, 0.75f, 0.2f * std::sin(6.6f + layer) + 0.1f);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(-3, -2, -4 - layer * 0.5f);
        glTexCoord2f(1, 0);
        glVertex3f(3, -2, -4);
        glTexCoord2f(1, 1);
        glVertex3f(3, 2, -6);
        glTexCoord2f(0, 1);
        glVertex3f(-3, 2, -4);
        glEnd();
    }
    glDisable(GL_BLEND);
}

// A 7 x 7 grid of quads in one glBegin, texture coordinates bent off the
// grid (so that the diagonal a quad is split along shows), within the view
// volume at `scale` 0.9 (orthographic) or 0.5 (perspective), across its
// edges at 1.5.
void sceneQuadGrid(bool orthographic, float scale) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (orthographic) {
        glOrtho(-4, 4, -4, 4, -10, 10);
    } else {
        gluPerspective(45.0, 1.0, 1.0, 100.0);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (!orthographic) glTranslatef(0, 0, -8);
    glScalef(scale, scale, 1);
    clearTo(0, 0, 0);
    makeTexture(GL_NEAREST, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    for (int b = 0; b < 7; ++b) {
        for (int a = 0; a < 7; ++a) {
            const int corners[4][2] = {{a, b}, {a + 1, b}, {a + 1, b + 1}, {a, b + 1}};
            for (const auto& c : corners) {
                glTexCoord2f(c[0] / 7.0f + 0.05f * std::sin(c[0] * 1.3f + c[1]),
                             c[1] / 7.0f + 0.05f * std::cos(c[1] * 1.7f + c[0]));
                glVertex3f(c[0] - 3.5f, c[1] - 3.5f, 0);
            }
        }
    }
    glEnd();
}

void sceneCullScissorDepth() {
    pixelProjection();
    clearTo(0.1f, 0.1f, 0.1f);
    // Culling: each pair is one quad wound each way.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    flatQuad(4, 4, 24, 24, 0, 1, 0, 0);   // counter-clockwise: drawn
    flatQuad(44, 4, 28, 24, 0, 0, 1, 0);  // clockwise: culled
    glFrontFace(GL_CW);
    flatQuad(48, 4, 68, 24, 0, 0, 0, 1);  // culled now
    flatQuad(92, 4, 72, 24, 0, 1, 1, 0);  // drawn now
    glCullFace(GL_FRONT);
    flatQuad(96, 4, 124, 24, 0, 1, 0, 1);  // counter-clockwise is the back: drawn
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    // Scissor: a clear and a quad confined to a box.
    glEnable(GL_SCISSOR_TEST);
    glScissor(10, 30, 40, 24);
    glClearColor(0.2f, 0.3f, 0.8f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(30, 40, 50, 30);
    flatQuad(0, 0, kWidth, kHeight, 0, 0.9f, 0.6f, 0.2f);
    glDisable(GL_SCISSOR_TEST);
    // Depth (larger z is nearer under this projection): nearer wins; equal depth passes only with
    // LEQUAL; a quad that writes no depth is overdrawn by one behind it.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    flatQuad(84, 30, 120, 60, 2, 1, 0, 0);   // near
    flatQuad(96, 40, 126, 70, -2, 0, 1, 0);  // farther: hidden where they overlap
    flatQuad(88, 34, 110, 50, 2, 0, 0, 1);   // equal depth, LESS: hidden
    glDepthFunc(GL_LEQUAL);
    flatQuad(100, 52, 124, 58, 2, 1, 1, 1);  // equal depth, LEQUAL: drawn
    glDepthMask(GL_FALSE);
    flatQuad(10, 62, 60, 92, 5, 0.5f, 0, 0.5f);  // no depth written
    glDepthMask(GL_TRUE);
    flatQuad(20, 70, 70, 90, -5, 0, 0.8f, 0.8f);  // behind it, yet drawn over it
    glDisable(GL_DEPTH_TEST);
}

// Clear colours and the same colours drawn, side by side, on a background
// cleared whole: at 16 bits llvmpipe rounds a whole-buffer clear straight to
// 5-6-5 (0.05 of red: 1.55 -> 2), but a scissored clear, like a fragment,
// goes to 8 bits first and is then truncated (0.05: 13 -> 1).
void sceneClearsAndDraws() {
    pixelProjection();
    clearTo(0.05f, 0.05f, 0.1f);
    const float colours[6][3] = {{0.05f, 0.3f, 0.77f}, {0.51f, 0.49f, 0.02f},
                                 {0.9f, 0.13f, 0.45f}, {0.22f, 0.68f, 0.96f},
                                 {0.6f, 0.6f, 0.6f},   {0.015f, 0.985f, 0.333f}};
    glEnable(GL_SCISSOR_TEST);
    for (int i = 0; i < 6; ++i) {
        glScissor(4 + i * 20, 52, 18, 40);
        glClearColor(colours[i][0], colours[i][1], colours[i][2], 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    for (int i = 0; i < 6; ++i) {
        flatQuad(4 + i * 20.0f, 4, 22 + i * 20.0f, 44, 0, colours[i][0], colours[i][1],
                 colours[i][2]);
    }
}

// ------------------------------------------------------------------ tests

// Draws a scene through both; `subsetColourBits` and `surfaceBits` as for
// drawWithSubset.
class SubsetVsMesa : public ::testing::Test {
  protected:
    Picture mesa(const std::function<void()>& draw, int colourBits = 32) {
        Picture picture = drawWithMesa(kWidth, kHeight, colourBits, draw);
        EXPECT_GT(distinctColours(picture), 4u) << "the scene drew next to nothing";
        // TEV_GL11_PICTURES=DIR keeps every picture Mesa drew, to look at.
        if (const char* folder = std::getenv("TEV_GL11_PICTURES")) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            writePpm(std::string(folder) + "/" + info->name() + "-" + std::to_string(pictures++) +
                         ".ppm",
                     picture);
        }
        return picture;
    }

    void compare(const std::string& name, const std::function<void()>& draw,
                 const Tolerance& tolerance, int mesaBits = 32, int subsetBits = 32,
                 int surfaceBits = 32) {
        const Picture reference = mesa(draw, mesaBits);
        Picture subset;
        std::string why;
        if (!drawWithSubset(kWidth, kHeight, subsetBits, surfaceBits, draw, &subset, &why)) {
            if (!subsetBuiltIn()) GTEST_SKIP() << why;
            FAIL() << "the subset could not draw: " << why;
        }
        EXPECT_TRUE(matches(name, reference, subset, tolerance));
    }

    int pictures = 0;
};

// What the split tests rest on, in Mesa alone: the scenes show the
// diagonal a quad is split along, and lists split otherwise than
// immediate mode.
TEST_F(SubsetVsMesa, MesaShowsTheSplitAndSplitsListsOtherwise) {
    const Picture immediate = mesa([] { sceneQuadsImmediate(0); });
    const Picture rotated = mesa([] { sceneQuadsImmediate(1); });
    const Picture listed = mesa(sceneQuadsFromLists);
    const Picture compiledAndExecuted = mesa(sceneQuadsCompileAndExecute);
    const double byOtherDiagonal = shareOffBy8(immediate, rotated);
    const double byList = shareOffBy8(immediate, listed);
    const double listedVsRotated = shareOffBy8(rotated, listed);
    std::cout << "[ mesa     ] immediate vs other diagonal: " << byOtherDiagonal * 100
              << " %, immediate vs list: " << byList * 100
              << " %, other diagonal vs list: " << listedVsRotated * 100
              << " %, immediate vs compile-and-execute: "
              << shareOffBy8(immediate, compiledAndExecuted) * 100 << " % off by > 8\n";
    EXPECT_GT(byOtherDiagonal, 0.05);
    EXPECT_GT(byList, 0.05);
    // A list's split is the other diagonal's: 0-1-3 / 1-2-3.
    EXPECT_LT(listedVsRotated, 0.005);
}

// Natively both pipelines draw on llvmpipe, and the subset repeats Mesa's
// own arithmetic (matrices, lighting, fog, rounding to 8 bits, GLU's
// levels), so the pictures are expected equal: what a test allows is a
// float's last bit landing on a rounding edge, never a pattern. Allowed:
// 0.1 % of the pixels off by more than 1 level, mean 0.05. (A wrong split
// is 40 % of these pictures off by more than 8; a wrong level, normals
// renormalised, fog by distance instead of depth: whole squares by tens.)
constexpr Tolerance kSameArithmetic{1, 0.001, 0.05};

TEST_F(SubsetVsMesa, QuadsSplitInImmediateMode) {
    compare(
        "immediate", [] { sceneQuadsImmediate(0); }, kSameArithmetic);
}

TEST_F(SubsetVsMesa, QuadsSplitFromLists) {
    compare("lists", sceneQuadsFromLists, kSameArithmetic);
}

TEST_F(SubsetVsMesa, QuadsCompiledAndExecuted) {
    compare("compile-and-execute", sceneQuadsCompileAndExecute, kSameArithmetic);
}

// Every level holds GLU's bytes, and the level chosen follows the level of
// detail as Mesa rounds it.
TEST_F(SubsetVsMesa, MipmapLevelsNearest) {
    compare("nearest-mipmap-nearest", sceneMipmapsNearest, kSameArithmetic);
}

TEST_F(SubsetVsMesa, MipmapLevelsLinear) {
    compare(
        "linear-mipmap-linear", [] { sceneMipmapsLinear(GL_LINEAR_MIPMAP_LINEAR); },
        kSameArithmetic);
    compare(
        "nearest-mipmap-linear", [] { sceneMipmapsLinear(GL_NEAREST_MIPMAP_LINEAR); },
        kSameArithmetic);
}

// A receding floor changes level and filter from row to row: over another
// rasteriser a one-row shift of that change is expected, here none.
TEST_F(SubsetVsMesa, MipmapsOnAPerspectiveFloor) {
    compare("perspective-floor", sceneMipmapsPerspective, kSameArithmetic);
}

// Per-vertex lighting: normals as given, scaled by the modelview.
TEST_F(SubsetVsMesa, LightingPositionalLocalViewerSeparateSpecularTextured) {
    compare(
        "lit-local-separate-textured", [] { sceneLighting(true, true, true, true); },
        kSameArithmetic);
}

TEST_F(SubsetVsMesa, LightingDirectionalInfiniteViewerSingleColour) {
    compare(
        "lit-directional-single", [] { sceneLighting(false, false, false, false); },
        kSameArithmetic);
}

// Where the specular factor overflows, Mesa's pipeline draws the vertex
// white (NaN clamped to 1); a GLSL clamp alone makes it 0. Whole faces
// differ then, by up to 150 levels. Allowed: 0.5 % off by more than 2,
// mean 0.5, at four moments of the chain's motion.
TEST_F(SubsetVsMesa, LitCubeChainWithOverflowingSpecular) {
    for (float t : {4.0f, 7.0f, 11.0f, 14.0f}) {
        compare("lit-cube-chain-" + std::to_string(int(t)), [t] { sceneCubeChain(t); },
                {2, 0.005, 0.5});
    }
}

// Texels reach MODULATE in single precision, as in Mesa's pipeline: a
// sampler left at its default low precision is one level off on a fifth of
// the picture, and added layers pile that up. In a 5-6-5 buffer (the show at
// 16 bits: Mesa quantises for both) one level becomes a step of 8.
// Allowed: 0.1 % off at all, mean 0.01.
TEST_F(SubsetVsMesa, ModulatedTexelsInSinglePrecision) {
    compare("modulated-levels", [] { sceneModulatedLevels(false); }, {0, 0.001, 0.01});
    compare("modulated-layers", [] { sceneModulatedLevels(true); }, {0, 0.001, 0.01});
    compare(
        "modulated-layers-565", [] { sceneModulatedLevels(true); }, {0, 0.001, 0.01}, 16, 32, 16);
}

// Quads drawn at once reach llvmpipe as quads, split 0-1-2 / 0-2-3 while
// every vertex of the glBegin is within the view volume, and 0-1-3 / 1-2-3
// by its clipper when one is not (the waving sheet, whose near rows leave
// the view). Split the other way, a third to a half of these pictures
// differ. Allowed: 0.5 % off by more than 2, mean 0.5.
TEST_F(SubsetVsMesa, QuadsSplitAsTheClipperSplitsThem) {
    compare("grid-orthographic-inside", [] { sceneQuadGrid(true, 0.9f); }, {2, 0.005, 0.5});
    compare("grid-orthographic-across", [] { sceneQuadGrid(true, 1.5f); }, {2, 0.005, 0.5});
    compare("grid-perspective-inside", [] { sceneQuadGrid(false, 0.5f); }, {2, 0.005, 0.5});
    compare("grid-perspective-across", [] { sceneQuadGrid(false, 1.5f); }, {2, 0.005, 0.5});
}

TEST_F(SubsetVsMesa, ColourMaterial) {
    compare("colour-material", sceneColourMaterial, kSameArithmetic);
}

TEST_F(SubsetVsMesa, LinearFog) {
    compare("fog", sceneFog, kSameArithmetic);
}

// The blend itself is the framebuffer's on both sides (GLES blends as GL
// does), so no shader rounding enters it natively.
TEST_F(SubsetVsMesa, Blending) {
    compare("blending", sceneBlending, kSameArithmetic);
}

TEST_F(SubsetVsMesa, CullingScissorAndDepth) {
    compare("cull-scissor-depth", sceneCullScissorDepth, kSameArithmetic);
    compare("clears-and-draws", sceneClearsAndDraws, kSameArithmetic);
}

// The 16-bit path: Mesa draws into a 5-6-5 pbuffer. The subset, asked for
// 16 bits, is drawn twice: into a 5-6-5 pbuffer (what the native show's
// 16-bit picture is) and into an 8-8-8 one (what a browser's WebGL canvas
// is, where the subset must quantise as llvmpipe does and blend as a 5-6-5
// buffer would). A step of 5 bits is 8 or 9 levels of red or blue, of 6
// bits 4 of green; where the 8-bit value before quantising differs by one,
// a one-step difference may appear. Allowed: 0.5 % of the pixels off by
// more than 9 (more than one step), mean 1.5 (the whole-frame bar).
constexpr Tolerance kSixteenBit{9, 0.005, 1.5};

TEST_F(SubsetVsMesa, SixteenBitColourOnA565Surface) {
    const Picture reference = mesa(sceneBlending, 16);
    std::set<int> reds;
    for (size_t i = 0; i < reference.rgb.size(); i += 3)
        reds.insert(reference.rgb[i]);
    EXPECT_LE(reds.size(), 32u) << "Mesa's picture is not 5-6-5";
    compare("16-bit-blending-565", sceneBlending, kSixteenBit, 16, 16, 16);
    compare(
        "16-bit-lighting-565", [] { sceneLighting(true, true, true, true); }, kSixteenBit, 16, 16,
        16);
    compare("16-bit-fog-565", sceneFog, kSixteenBit, 16, 16, 16);
    // Flat colours, no arithmetic but the quantising: equal.
    compare("16-bit-clears-565", sceneClearsAndDraws, kSameArithmetic, 16, 16, 16);
}

TEST_F(SubsetVsMesa, SixteenBitColourOnAn888Surface) {
    compare("16-bit-blending-888", sceneBlending, kSixteenBit, 16, 16, 32);
    compare(
        "16-bit-lighting-888", [] { sceneLighting(true, true, true, true); }, kSixteenBit, 16, 16,
        32);
    compare("16-bit-fog-888", sceneFog, kSixteenBit, 16, 16, 32);
    compare("16-bit-clears-888", sceneClearsAndDraws, kSameArithmetic, 16, 16, 32);
}

}  // namespace
}  // namespace tev::test
