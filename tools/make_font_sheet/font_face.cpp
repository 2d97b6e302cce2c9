#include "font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>

#ifndef TEV_DEJAVU_DIR
#define TEV_DEJAVU_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace tev::font {

struct FontFace::Library {
    FT_Library handle = nullptr;
    ~Library() {
        if (handle) FT_Done_FreeType(handle);
    }
};

FontFace::FontFace(const std::string& path) : library_(std::make_unique<Library>()) {
    if (FT_Init_FreeType(&library_->handle) != 0) {
        library_->handle = nullptr;
        error_ = "cannot start FreeType";
        return;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library_->handle, path.c_str(), 0, &face) != 0) {
        error_ = "cannot open the font " + path;
        return;
    }
    face_ = face;
}

FontFace::~FontFace() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
}

bool FontFace::hasGlyph(char32_t code) const {
    return face_ && FT_Get_Char_Index(static_cast<FT_Face>(face_), code) != 0;
}

bool FontFace::render(char32_t code, int sizeX, int sizeY, bool hinted, Glyph& out) {
    out = Glyph{};
    if (!face_ || sizeX <= 0 || sizeY <= 0) return false;
    FT_Face face = static_cast<FT_Face>(face_);
    if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(sizeX), static_cast<FT_UInt>(sizeY)) != 0) {
        return false;
    }
    const FT_Int32 flags = FT_LOAD_RENDER | (hinted ? FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING);
    if (FT_Load_Char(face, code, flags) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0) return false;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.advance = slot->advance.x / 64.0;
    out.coverage.resize(static_cast<size_t>(out.width) * out.rows);
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        std::memcpy(out.coverage.data() + static_cast<size_t>(y) * out.width, row,
                    static_cast<size_t>(out.width));
    }
    return true;
}

double FontFace::kerning(char32_t left, char32_t right) const {
    if (!face_) return 0;
    FT_Face face = static_cast<FT_Face>(face_);
    if (!FT_HAS_KERNING(face)) return 0;
    FT_Vector delta{};
    FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                   FT_KERNING_UNFITTED, &delta);
    return delta.x / 64.0;
}

std::string dejaVuPath(const char* fileName) {
    return std::string(TEV_DEJAVU_DIR) + "/" + fileName;
}

}  // namespace tev::font
