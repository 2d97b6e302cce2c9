#include "scenes/primitives.h"

#include "platform/gl_context_serial.h"

namespace tev {

namespace {
int32_t cubeListName = -1;
uint64_t cubeListContext = 0;  // the context the list was compiled in
uint64_t cubesDrawn = 0;
}  // namespace

void texturedQuad(float sOffset, float tOffset, float half, float depth) {
    glTexCoord2f(sOffset, tOffset);
    glVertex3f(-half, half, depth);
    glTexCoord2f(sOffset + 1.0f, tOffset);
    glVertex3f(half, half, depth);
    glTexCoord2f(sOffset + 1.0f, tOffset + 1.0f);
    glVertex3f(half, -half, depth);
    glTexCoord2f(sOffset, tOffset + 1.0f);
    glVertex3f(-half, -half, depth);
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

void texturedGrid(const float* coords, int32_t columns, int32_t rows, float x0, float y0,
                  float x1, float y1, float depth) {
    const float dx = (x1 - x0) / static_cast<float>(columns - 1);
    const float dy = (y1 - y0) / static_cast<float>(rows - 1);
    glBegin(GL_QUADS);
    if (rows >= 2 && columns >= 2) {
        auto vertex = [&](int32_t i, int32_t j, float x, float y) {
            const float* st = coords + 2 * (static_cast<int64_t>(j) * columns + i);
            glTexCoord2f(st[0], st[1]);
            glVertex3f(x, y, depth);
        };
        float y = y0;
        for (int32_t j = 0; j <= rows - 2; ++j) {
            const float yNext = y + dy;
            float x = x0;
            for (int32_t i = 0; i <= columns - 2; ++i) {
                const float xNext = x + dx;
                vertex(i, j, x, y);
                vertex(i + 1, j, xNext, y);
                vertex(i + 1, j + 1, xNext, yNext);
                vertex(i, j + 1, x, yNext);
                x = xNext;
            }
            y = y + dy;
        }
    }
    glEnd();
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
    {{0, 0, -1}, {{1, 1, -1}, {-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}}, {{1, 0}, {1, 1}, {0, 1}, {0, 0}}},
    {{0, 0, 1}, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{-1, 0, 0}, {{-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{1, 0, 0}, {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, -1, 0}, {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 1, 0}, {{1, 1, 1}, {-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
};

}  // namespace

void drawCube(float half) {
    ++cubesDrawn;
    // A list compiled in another context does not exist here: compile anew.
    if (cubeListName != -1 && cubeListContext == platform::currentGlContextSerial()) {
        glCallList(static_cast<GLuint>(cubeListName));
        return;
    }
    cubeListName = static_cast<int32_t>(glGenLists(1));
    cubeListContext = platform::currentGlContextSerial();
    glNewList(static_cast<GLuint>(cubeListName), GL_COMPILE_AND_EXECUTE);
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

uint64_t cubeDrawCount() { return cubesDrawn; }

int32_t cubeList() {
    return cubeListContext == platform::currentGlContextSerial() ? cubeListName : -1;
}

}  // namespace tev
