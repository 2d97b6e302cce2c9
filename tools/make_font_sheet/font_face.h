#pragma once
// One FreeType face, for the generators that draw the show's lettering at
// build time. Glyphs come back as 8-bit coverage bitmaps, rows top-down.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tev::font {

struct Glyph {
    int width = 0;                  // bitmap columns
    int rows = 0;                   // bitmap rows
    int left = 0;                   // pen position to the bitmap's left edge, pixels
    int top = 0;                    // baseline to the bitmap's top row, pixels (up is positive)
    double advance = 0;             // pen advance, pixels
    std::vector<uint8_t> coverage;  // rows * width bytes, top row first
};

class FontFace {
  public:
    // Opens the face; check ok() and error().
    explicit FontFace(const std::string& path);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    bool ok() const { return face_ != nullptr; }
    const std::string& error() const { return error_; }

    bool hasGlyph(char32_t code) const;

    // Renders `code` anti-aliased at sizeX by sizeY pixels per em (unequal
    // sizes squeeze the glyph). `hinted` keeps stems and the baseline on
    // whole pixels, for small sizes.
    bool render(char32_t code, int sizeX, int sizeY, bool hinted, Glyph& out);

    // Kerning between two codes at the size of the last render, pixels.
    double kerning(char32_t left, char32_t right) const;

  private:
    struct Library;
    std::unique_ptr<Library> library_;
    void* face_ = nullptr;  // FT_Face, kept opaque to users
    std::string error_;
};

// Where the DejaVu faces are looked for (set by the build).
std::string dejaVuPath(const char* fileName);

}  // namespace tev::font
