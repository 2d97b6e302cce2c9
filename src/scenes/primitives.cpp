#include "scenes/primitives.h"

#include <vector>

#include "platform/gl_context_serial.h"

namespace tev {

namespace {
int32_t cubeListName = -1;
uint64_t cubeListContext = 0;  // the context the list was compiled in
uint64_t cubesDrawn = 0;
}  // namespace

TexturedQuad texturedQuadCorners(float sOffset, float tOffset, float half, float depth) {
    return {
        {{sOffset, tOffset},
         {sOffset + 1.0f, tOffset},
         {sOffset + 1.0f, tOffset + 1.0f},
         {sOffset, tOffset + 1.0f}},
        {{-half, half, depth}, {half, half, depth}, {half, -half, depth}, {-half, -half, depth}}};
}

void texturedQuad(float sOffset, float tOffset, float half, float depth) {
    const TexturedQuad quad = texturedQuadCorners(sOffset, tOffset, half, depth);
    for (int k = 0; k < 4; ++k) {
        glTexCoord2f(quad.st[k][0], quad.st[k][1]);
        glVertex3f(quad.xyz[k][0], quad.xyz[k][1], quad.xyz[k][2]);
    }
}

void tiledQuad(float sRepeat, float tRepeat, float half, float depth) {
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-half, half, depth);
    glTexCoord2f(sRepeat, 0.0f);
    glVertex3f(half, half, depth);
    glTexCoord2f(sRepeat, tRepeat);
    glVertex3f(half, -half, depth);
    glTexCoord2f(0.0f, tRepeat);
    glVertex3f(-half, -half, depth);
}

void plainQuad(float scale, float depth) {
    const float h = 10.0f * scale;
    glVertex3f(-h, h, depth);
    glVertex3f(h, h, depth);
    glVertex3f(h, -h, depth);
    glVertex3f(-h, -h, depth);
}

std::vector<TexturedQuad> gridQuads(const float* coords, int32_t columns, int32_t rows, float x0,
                                    float y0, float x1, float y1, float depth) {
    std::vector<TexturedQuad> quads;
    if (rows < 2 || columns < 2) return quads;
    const float dx = (x1 - x0) / static_cast<float>(columns - 1);
    const float dy = (y1 - y0) / static_cast<float>(rows - 1);
    quads.reserve(static_cast<size_t>(rows - 1) * static_cast<size_t>(columns - 1));
    auto corner = [&](TexturedQuad& quad, int k, int32_t i, int32_t j, float x, float y) {
        const float* st = coords + 2 * (static_cast<int64_t>(j) * columns + i);
        quad.st[k][0] = st[0];
        quad.st[k][1] = st[1];
        quad.xyz[k][0] = x;
        quad.xyz[k][1] = y;
        quad.xyz[k][2] = depth;
    };
    float y = y0;
    for (int32_t j = 0; j <= rows - 2; ++j) {
        const float yNext = y + dy;
        float x = x0;
        for (int32_t i = 0; i <= columns - 2; ++i) {
            const float xNext = x + dx;
            TexturedQuad& quad = quads.emplace_back();
            corner(quad, 0, i, j, x, y);
            corner(quad, 1, i + 1, j, xNext, y);
            corner(quad, 2, i + 1, j + 1, xNext, yNext);
            corner(quad, 3, i, j + 1, x, yNext);
            x = xNext;
        }
        y = y + dy;
    }
    return quads;
}

void texturedGrid(DrawContext& context, const float* coords, int32_t columns, int32_t rows,
                  float x0, float y0, float x1, float y1, float depth) {
    const std::vector<TexturedQuad> quads = gridQuads(coords, columns, rows, x0, y0, x1, y1, depth);
    sendTexturedQuads(context, quads.data(), quads.size());
}

namespace {

struct CubeFace {
    float normal[3];
    float corners[4][3];
    float coords[4][2];
};

// Faces 2 and 4 run counter-clockwise seen from outside, the others
// clockwise; that matters wherever back faces are culled.
constexpr CubeFace kCubeFaces[6] = {
    {{0, 0, -1},
     {{1, 1, -1}, {-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}},
     {{1, 0}, {1, 1}, {0, 1}, {0, 0}}},
    {{0, 0, 1}, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{-1, 0, 0},
     {{-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{1, 0, 0}, {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, -1, 0},
     {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 1, 0}, {{1, 1, 1}, {-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
};

// Compiles the cube into a new list of the current context, with `mode`
// GL_COMPILE_AND_EXECUTE (draws it too) or GL_COMPILE.
void compileCube(float half, GLenum mode) {
    cubeListName = static_cast<int32_t>(glGenLists(1));
    cubeListContext = platform::currentGlContextSerial();
    glNewList(static_cast<GLuint>(cubeListName), mode);
    for (const CubeFace& face : kCubeFaces) {
        glBegin(GL_QUADS);
        for (int v = 0; v < 4; ++v) {
            glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
            glTexCoord2f(face.coords[v][0], face.coords[v][1]);
            glVertex3f(face.corners[v][0] * half, face.corners[v][1] * half,
                       face.corners[v][2] * half);
        }
        glEnd();
    }
    glEndList();
}

bool cubeCompiledHere() {
    return cubeListName != -1 && cubeListContext == platform::currentGlContextSerial();
}

}  // namespace

void drawCube(float half) {
    ++cubesDrawn;
    // A list compiled in another context does not exist here: compile anew.
    if (cubeCompiledHere()) {
        glCallList(static_cast<GLuint>(cubeListName));
        return;
    }
    compileCube(half, GL_COMPILE_AND_EXECUTE);
}

void skipCube(float half) {
    ++cubesDrawn;
    // The first cube fixes every cube's size, drawn or not.
    if (!cubeCompiledHere()) compileCube(half, GL_COMPILE);
    const CubeFace& last = kCubeFaces[5];
    glNormal3f(last.normal[0], last.normal[1], last.normal[2]);
    glTexCoord2f(last.coords[3][0], last.coords[3][1]);
}

void skipTexturedGrid(const float* coords, int32_t columns, int32_t rows) {
    // The last vertex is the last quad's fourth: point (columns - 2, rows - 1).
    if (rows < 2 || columns < 2) return;
    const float* st = coords + 2 * (static_cast<int64_t>(rows - 1) * columns + columns - 2);
    glTexCoord2f(st[0], st[1]);
}

void skipTexturedQuad(float sOffset, float tOffset) {
    glTexCoord2f(sOffset, tOffset + 1.0f);
}

void skipTiledQuad(float /*sRepeat*/, float tRepeat) {
    glTexCoord2f(0.0f, tRepeat);
}

uint64_t cubeDrawCount() {
    return cubesDrawn;
}

int32_t cubeList() {
    return cubeListContext == platform::currentGlContextSerial() ? cubeListName : -1;
}

}  // namespace tev
