#include "glyph_sheet.h"

#include <algorithm>

#include "font_face.h"

namespace tev::font {
namespace {

// Pixels per em: capitals come out about 18 pixels wide and 19 tall.
constexpr int kEm = 26;
// Wider glyphs (m, W, %, ...) are squeezed to this, so that text set at the
// font's half-cell pitch stays legible.
constexpr int kMaxInkWidth = 24;
constexpr int kInkSpace = kCellSide - 2 * kCellMargin;

struct Cell {
    uint8_t pixels[kCellSide][kCellSide] = {};  // [row from top][column]
};

void drawBox(Cell& cell) {
    // About the size of a capital, two pixels thick.
    constexpr int left = 9, right = 22, top = 7, bottom = kBaselineRow - 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const bool edge = x < left + 2 || x > right - 2 || y < top + 2 || y > bottom - 2;
            if (edge) cell.pixels[y][x] = 255;
        }
    }
}

// Renders so that the ink fits the cell: squeezed across when too wide,
// shrunk when too tall (the tallest accented capitals).
bool renderFitted(FontFace& face, char32_t code, Glyph& glyph) {
    int sizeX = kEm;
    int sizeY = kEm;
    for (int attempt = 0; attempt < 16; ++attempt) {
        if (!face.render(code, sizeX, sizeY, true, glyph)) return false;
        const bool wide = glyph.width > kMaxInkWidth;
        const bool tall = glyph.rows > kInkSpace;
        if (!wide && !tall) return true;
        if (wide) sizeX = std::max(1, sizeX * kMaxInkWidth / glyph.width - (attempt > 0));
        if (tall) sizeY = std::max(1, sizeY * kInkSpace / glyph.rows - (attempt > 0));
    }
    return false;
}

void placeGlyph(const Glyph& glyph, Cell& cell) {
    int top = kBaselineRow - glyph.top;
    top = std::clamp(top, kCellMargin, kCellSide - kCellMargin - glyph.rows);
    const int left = (kCellSide - glyph.width) / 2;
    for (int y = 0; y < glyph.rows; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
            cell.pixels[top + y][left + x] =
                glyph.coverage[static_cast<size_t>(y) * glyph.width + x];
        }
    }
}

}  // namespace

CellKind cellKind(int code) {
    if (code == 9 || code == 10 || code == 13 || code == 32 || code == 160) return CellKind::Empty;
    if (code < 32 || (code >= 127 && code < 160)) return CellKind::Box;
    return CellKind::Glyph;
}

bool drawGlyphSheet(std::vector<uint8_t>& sheet, std::string* error) {
    FontFace face(dejaVuPath("DejaVuSans-Bold.ttf"));
    if (!face.ok()) {
        if (error) *error = face.error();
        return false;
    }
    sheet.assign(static_cast<size_t>(kSheetSide) * kSheetSide, 0);
    for (int code = 0; code < 256; ++code) {
        Cell cell;
        switch (cellKind(code)) {
            case CellKind::Empty:
                break;
            case CellKind::Box:
                drawBox(cell);
                break;
            case CellKind::Glyph: {
                Glyph glyph;
                // Latin-1 codes are Unicode code points.
                if (face.hasGlyph(static_cast<char32_t>(code)) &&
                    renderFitted(face, static_cast<char32_t>(code), glyph)) {
                    placeGlyph(glyph, cell);
                } else {
                    drawBox(cell);
                }
                break;
            }
        }
        const int cellTop = (code / kCellsPerRow) * kCellSide;
        const int cellLeft = (code % kCellsPerRow) * kCellSide;
        for (int y = 0; y < kCellSide; ++y) {
            // Bottom-up: the picture's row r is stored as row 511 - r.
            uint8_t* out = sheet.data() +
                           static_cast<size_t>(kSheetSide - 1 - (cellTop + y)) * kSheetSide +
                           cellLeft;
            std::copy(cell.pixels[y], cell.pixels[y] + kCellSide, out);
        }
    }
    return true;
}

}  // namespace tev::font
