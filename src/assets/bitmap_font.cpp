#include "assets/bitmap_font.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "assets/clip_matrix.h"
#include "assets/gl_stream.h"
#include "assets/texture.h"
#include "platform/display.h"

namespace tev {

BitmapFont::~BitmapFont() {
    if (listBase != 0) glDeleteLists(listBase, 256);
}

BitmapFont& bitmapFont() {
    static BitmapFont font;
    return font;
}

int BitmapFont::build(const EmbeddedImage& sheet) {
    Texture texture;
    if (texture.allocate(static_cast<int32_t>(sheet.width), static_cast<int32_t>(sheet.height),
                         1) == 1) {
        std::memcpy(texture.pixels.get(), sheet.pixels, texture.byteCount());
    }
    fontTexture = texture.upload();
    findBlankGlyphs(texture);
    findInk(texture);

    listBase = glGenLists(256);
    for (GLuint i = 0; i < 256; ++i) {
        const float row = static_cast<float>(i / 16);
        const float s0 = static_cast<float>(i) * 0.0625f;
        const float s1 = s0 + 0.0625f;
        const float t0 = 1.0f - row * 0.0625f;
        const float t1 = t0 + 0.0625f;
        // List i shows the glyph of code i - 16: its t range is the band one
        // cell row above code i's, and s wraps to column i mod 16. draw()
        // makes up for it by starting from list 16.
        glNewList(listBase + i, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(s0, t0);
        glVertex2f(0.0f, 0.0f);
        glTexCoord2f(s1, t0);
        glVertex2f(16.0f, 0.0f);
        glTexCoord2f(s1, t1);
        glVertex2f(16.0f, 16.0f);
        glTexCoord2f(s0, t1);
        glVertex2f(0.0f, 16.0f);
        glEnd();
        glTranslatef(advance, 0.0f, 0.0f);
        glEndList();
    }
    return 1;
}

void BitmapFont::draw(bool centred, int32_t x, int32_t y, const char* text, float xScale,
                      float yScale, float alpha) const {
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, fontTexture);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glScalef(xScale, yScale, 1.0f);
    const size_t length = text ? std::strlen(text) : 0;
    if (centred) glTranslatef(-(static_cast<float>(length) * advance * 0.5f), 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glListBase(listBase + 16);
    if (length > 0) {
        // Additive with the depth test off: at alpha <= 0 no glyph adds
        // anything. The glyphs' moves happen inside the push and pop.
        if (!sendsGeometry(alpha)) {
            leaveLastGlyphTexCoord(text, length);
        } else if (literalGlStream) {
            glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
        } else {
            callVisibleGlyphs(text, length);
        }
    }
    glPopMatrix();
}

namespace {

// Whether the quad (x0, 0)-(x0 + 16, 16) lies wholly outside one plane of
// the view volume under `m` (column-major, projection times modelview),
// with a margin far beyond the rounding of GL's single-precision transform.
bool glyphOutsideView(const double m[16], double x0) {
    constexpr double kMargin = 1e-3;
    const double xs[4] = {x0, x0 + 16.0, x0 + 16.0, x0};
    const double ys[4] = {0.0, 0.0, 16.0, 16.0};
    double clip[4][4];
    for (int i = 0; i < 4; ++i) {
        for (int row = 0; row < 4; ++row) {
            clip[i][row] = m[row] * xs[i] + m[4 + row] * ys[i] + m[12 + row];
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        for (double side : {-1.0, 1.0}) {
            bool outside = true;
            for (int i = 0; i < 4 && outside; ++i) {
                const double v = side * clip[i][axis], w = clip[i][3];
                outside = v - w > kMargin * (std::fabs(v) + std::fabs(w) + 1.0);
            }
            if (outside) return true;
        }
    }
    return false;
}

// The window rectangle (x, y, x + width, y + height, in pixels) around
// the rectangle (x0, y0)-(x1, y1) of a glyph's plane under `m` and the
// viewport, one pixel wider each way than its corners' pixel centres need;
// `yDown` when the clip origin is at the upper left. False when a corner
// lies at or behind the eye.
bool windowBox(const double m[16], const double viewport[4], bool yDown, double x0, double y0,
               double x1, double y1, double box[4]) {
    const double xs[4] = {x0, x1, x1, x0};
    const double ys[4] = {y0, y0, y1, y1};
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (int i = 0; i < 4; ++i) {
        double clip[4];
        for (int row = 0; row < 4; ++row)
            clip[row] = m[row] * xs[i] + m[4 + row] * ys[i] + m[12 + row];
        if (!(clip[3] > 1e-6)) return false;
        for (int axis = 0; axis < 2; ++axis) {
            const double ndc = (axis == 1 && yDown ? -clip[axis] : clip[axis]) / clip[3];
            const double w = viewport[axis] + (ndc + 1.0) * 0.5 * viewport[2 + axis];
            lo[axis] = std::min(lo[axis], w);
            hi[axis] = std::max(hi[axis], w);
        }
    }
    for (int axis = 0; axis < 2; ++axis) {
        box[axis] = std::max(std::floor(lo[axis]) - 1.0, viewport[axis]);
        box[2 + axis] = std::min(std::ceil(hi[axis]) + 1.0, viewport[axis] + viewport[2 + axis]);
        box[2 + axis] = std::max(box[2 + axis], box[axis]);
    }
    return true;
}

// A glyph is drawn within the scissor box around its ink when its quad
// covers at least this many pixels and the box saves a fifth of them.
constexpr double kScissoredArea = 2048.0;
constexpr double kScissoredShare = 0.8;

}  // namespace

void BitmapFont::callVisibleGlyphs(const char* text, size_t length) const {
    // A glyph wholly outside the view, or a blank one, changes no pixel. Its
    // list's only other effect is the move to the next glyph, made here with
    // the very same call, so the glyphs that are drawn land exactly where
    // they would. A large glyph is drawn within the scissor box around its
    // ink: outside it, every fragment samples black and adds nothing, and
    // inside it every fragment is made exactly as without the box.
    double m[16];
    currentClipMatrix(m);
    GLint viewportInt[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewportInt);
    const double viewport[4] = {double(viewportInt[0]), double(viewportInt[1]),
                                double(viewportInt[2]), double(viewportInt[3])};
    // The scissor box is this text's own: left as it was found, and not
    // used at all when the test is already on.
    const bool mayScissor = glIsEnabled(GL_SCISSOR_TEST) == GL_FALSE;
    const bool yDown = platform::drawingClipOriginUpperLeft();
    GLint savedBox[4] = {};
    bool scissorUsed = false, scissorOn = false;

    size_t runStart = 0;
    auto sendRun = [&](size_t end) {
        if (end <= runStart) return;
        if (scissorOn) glDisable(GL_SCISSOR_TEST);
        scissorOn = false;
        callGlyphs(text + runStart, end - runStart);
    };
    double x0 = 0.0;
    bool lastCulled = false;
    for (size_t k = 0; k < length; ++k) {
        const GLuint list = static_cast<unsigned char>(text[k]) + 16u;
        if (list >= 256) continue;  // no such list: nothing drawn, no move
        // A blank glyph adds black: nothing, even through the black fog.
        lastCulled = blank_[list] || glyphOutsideView(m, x0);
        double quad[4], ink[4];
        const InkBox& box = ink_[list];
        if (lastCulled) {
            sendRun(k);
            glTranslatef(advance, 0.0f, 0.0f);
            noteSkippedGeometry(1);
            runStart = k + 1;
        } else if (mayScissor && windowBox(m, viewport, yDown, x0, 0.0, x0 + 16.0, 16.0, quad) &&
                   windowBox(m, viewport, yDown, x0 + box.x0, box.y0, x0 + box.x1, box.y1, ink)) {
            const double quadArea = (quad[2] - quad[0]) * (quad[3] - quad[1]);
            const double inkArea = (ink[2] - ink[0]) * (ink[3] - ink[1]);
            if (quadArea >= kScissoredArea && inkArea <= kScissoredShare * quadArea) {
                sendRun(k);
                if (!scissorUsed) glGetIntegerv(GL_SCISSOR_BOX, savedBox);
                scissorUsed = true;
                glScissor(static_cast<GLint>(ink[0]), static_cast<GLint>(ink[1]),
                          static_cast<GLsizei>(ink[2] - ink[0]),
                          static_cast<GLsizei>(ink[3] - ink[1]));
                if (!scissorOn) glEnable(GL_SCISSOR_TEST);
                scissorOn = true;
                callGlyphs(text + k, 1);
                noteScissoredGlyph();
                runStart = k + 1;
            }
        }
        x0 += advance;
    }
    sendRun(length);
    if (scissorUsed) {
        if (scissorOn) glDisable(GL_SCISSOR_TEST);
        glScissor(savedBox[0], savedBox[1], savedBox[2], savedBox[3]);
    }
    if (lastCulled) leaveLastGlyphTexCoord(text, length);
}

void BitmapFont::findBlankGlyphs(const Texture& sheet) {
    blank_.fill(false);
    const int32_t side = sheet.width;
    if (!sheet.holds(1) || sheet.channels != 1 || side != sheet.height || side % 16 != 0) return;
    const int32_t cell = side / 16;
    // Linear filtering reads half a texel beyond a glyph's quad, a little
    // more with rounding; two texels of margin, wrapped as GL_REPEAT wraps.
    constexpr int32_t kMargin = 2;
    for (GLuint i = 0; i < 256; ++i) {
        // List i's quad: column i mod 16, rows from (1 - (i / 16) / 16) of t.
        const int32_t x0 = cell * static_cast<int32_t>(i % 16);
        const int32_t y0 = side - cell * static_cast<int32_t>(i / 16);
        bool blank = true;
        for (int32_t y = y0 - kMargin; blank && y < y0 + cell + kMargin; ++y) {
            const uint8_t* row = sheet.pixels.get() + static_cast<size_t>((y + side) % side) * side;
            for (int32_t x = x0 - kMargin; blank && x < x0 + cell + kMargin; ++x) {
                blank = row[(x + side) % side] == 0;
            }
        }
        blank_[i] = blank;
    }
}

void BitmapFont::callGlyphs(const char* glyphs, size_t count) const {
    // Mesa's glCallLists of a single list, made while a texture coordinate
    // set outside glBegin / glEnd is still pending (the built show's left-out
    // draws set one), keeps that coordinate instead of the list's last one;
    // glCallList of the same list does not. The literal stream sends no such
    // coordinate, so its lists always leave their own.
    if (count == 1) {
        glCallList(listBase + 16 + static_cast<unsigned char>(glyphs[0]));
    } else {
        glCallLists(static_cast<GLsizei>(count), GL_UNSIGNED_BYTE, glyphs);
    }
}

void BitmapFont::findInk(const Texture& sheet) {
    ink_.fill(InkBox{});
    const int32_t side = sheet.width;
    if (!sheet.holds(1) || sheet.channels != 1 || side != sheet.height || side % 16 != 0) return;
    const int32_t cell = side / 16;
    const float unitsPerTexel = 16.0f / static_cast<float>(cell);
    for (GLuint i = 0; i < 256; ++i) {
        // As in findBlankGlyphs: list i's quad starts at texel (x0, y0) and
        // may sample two texels beyond its cell, wrapped.
        const int32_t x0 = cell * static_cast<int32_t>(i % 16);
        const int32_t y0 = side - cell * static_cast<int32_t>(i / 16);
        int32_t xMin = INT32_MAX, xMax = INT32_MIN, yMin = INT32_MAX, yMax = INT32_MIN;
        for (int32_t y = y0 - 2; y < y0 + cell + 2; ++y) {
            const uint8_t* row = sheet.pixels.get() + static_cast<size_t>((y + side) % side) * side;
            for (int32_t x = x0 - 2; x < x0 + cell + 2; ++x) {
                if (row[(x + side) % side] == 0) continue;
                xMin = std::min(xMin, x);
                xMax = std::max(xMax, x);
                yMin = std::min(yMin, y);
                yMax = std::max(yMax, y);
            }
        }
        InkBox& box = ink_[i];
        if (xMin > xMax) {
            box = InkBox{0.0f, 0.0f, 0.0f, 0.0f};
            continue;
        }
        // Linear filtering weighs texel k (its centre at k + 1/2) into
        // samples from k - 1/2 to k + 3/2; a quarter texel more for rounding.
        auto toQuad = [&](float texel, int32_t origin) {
            return std::clamp((texel - static_cast<float>(origin)) * unitsPerTexel, 0.0f, 16.0f);
        };
        box.x0 = toQuad(static_cast<float>(xMin) - 0.75f, x0);
        box.x1 = toQuad(static_cast<float>(xMax) + 1.75f, x0);
        box.y0 = toQuad(static_cast<float>(yMin) - 0.75f, y0);
        box.y1 = toQuad(static_cast<float>(yMax) + 1.75f, y0);
    }
}

void BitmapFont::leaveLastGlyphTexCoord(const char* text, size_t length) {
    // The current texture coordinate the last glyph's list would leave: the
    // corner (s0, t1) of list code + 16; codes past the lists draw nothing.
    for (size_t k = length; k-- > 0;) {
        const GLuint i = static_cast<unsigned char>(text[k]) + 16u;
        if (i >= 256) continue;
        const float s0 = static_cast<float>(i) * 0.0625f;
        const float t1 = (1.0f - static_cast<float>(i / 16) * 0.0625f) + 0.0625f;
        glTexCoord2f(s0, t1);
        return;
    }
}

}  // namespace tev
