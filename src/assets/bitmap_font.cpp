#include "assets/bitmap_font.h"

#include <cmath>
#include <cstring>
#include <string>

#include "assets/gl_stream.h"
#include "assets/texture.h"

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
        } else if (literalGlStream || (length < kCullLength && !hasBlankGlyph(text, length))) {
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

}  // namespace

void BitmapFont::callVisibleGlyphs(const char* text, size_t length) const {
    // A glyph wholly outside the view, or a blank one, changes no pixel. Its
    // list's only other effect is the move to the next glyph, made here with
    // the very same call, so the glyphs that are drawn land exactly where
    // they would.
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    double m[16];
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += double(projection[k * 4 + row]) * modelview[col * 4 + k];
            m[col * 4 + row] = sum;
        }
    }
    size_t runStart = 0;
    double x0 = 0.0;
    bool lastCulled = false;
    for (size_t k = 0; k < length; ++k) {
        const GLuint list = static_cast<unsigned char>(text[k]) + 16u;
        if (list >= 256) continue;  // no such list: nothing drawn, no move
        // A blank glyph adds black: nothing, even through the black fog.
        lastCulled = blank_[list] || glyphOutsideView(m, x0);
        if (lastCulled) {
            if (k > runStart) {
                glCallLists(static_cast<GLsizei>(k - runStart), GL_UNSIGNED_BYTE, text + runStart);
            }
            glTranslatef(advance, 0.0f, 0.0f);
            noteSkippedGeometry(1);
            runStart = k + 1;
        }
        x0 += advance;
    }
    if (length > runStart) {
        glCallLists(static_cast<GLsizei>(length - runStart), GL_UNSIGNED_BYTE, text + runStart);
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

bool BitmapFont::hasBlankGlyph(const char* text, size_t length) const {
    for (size_t k = 0; k < length; ++k) {
        const GLuint list = static_cast<unsigned char>(text[k]) + 16u;
        if (list < 256 && blank_[list]) return true;
    }
    return false;
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
