#include "assets/bitmap_font.h"

#include <cstring>

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
    if (length > 0) glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    glPopMatrix();
}

}  // namespace tev
