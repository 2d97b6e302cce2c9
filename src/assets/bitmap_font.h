#pragma once
// Text drawn from a 16 x 16 sheet of 32 x 32-pixel glyph cells (512 x 512,
// one luminance byte per pixel, stored bottom-up): one display list per
// glyph, each a 16 x 16 quad followed by a move of `advance` units, so that
// a string is a single glCallLists over its bytes. Drawn additively, white.

#include <array>
#include <cstddef>
#include <cstdint>

#include "assets/embedded_image.h"
#include "assets/texture.h"
#include "draw/draw_context.h"
#include "gl11/gl11.h"

namespace tev {

class BitmapFont {
  public:
    BitmapFont() = default;
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Uploads the sheet as a luminance texture and compiles the 256 lists in
    // the current context. Returns 1.
    int build(const EmbeddedImage& sheet);

    // Draws `text` (codes 0..239) with its first glyph's lower left corner at
    // (x, y), or centred on x, each glyph scaled by (xScale, yScale), with
    // opacity `alpha`. Leaves lighting, culling and depth test off, blending
    // on and additive, texturing on with the font's texture. In the built
    // stream, text with alpha <= 0 sets all that but sends no glyph, and only
    // glyphs that reach into the view and are not blank (a space) are sent;
    // a glyph that covers many pixels is drawn with the scissor box around
    // its ink, as the rest of its quad adds black.
    void draw(DrawContext& context, bool centred, int32_t x, int32_t y, const char* text,
              float xScale, float yScale, float alpha) const;

    GLuint listBase = 0;
    float advance = 8.0f;
    GLuint fontTexture = 0;

    // Where in list i's 16 x 16 quad a fragment can sample a texel that is
    // not black: outside that box, the quad adds nothing.
    struct InkBox {
        float x0 = 0.0f, y0 = 0.0f, x1 = 16.0f, y1 = 16.0f;
    };
    const InkBox& inkBox(GLuint list) const { return ink_[list]; }
    bool blankGlyph(GLuint list) const { return blank_[list]; }

  private:
    void callVisibleGlyphs(DrawContext& context, const char* text, size_t length) const;
    // The glyphs' lists, as glCallLists over them with the list base set.
    void callGlyphs(const char* glyphs, size_t count) const;
    // Where each list's quad can sample ink (a texel that is not black) of
    // the sheet; the lists that can sample none are blank.
    void findInk(const Texture& sheet);
    std::array<bool, 256> blank_{};
    std::array<InkBox, 256> ink_{};
    static void leaveLastGlyphTexCoord(const char* text, size_t length);
};

// The show's one font.
BitmapFont& bitmapFont();

}  // namespace tev
