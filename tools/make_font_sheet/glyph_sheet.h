#pragma once
// The show's glyph sheet: 512 x 512, one luminance byte per pixel, 16 x 16
// cells of 32 x 32 pixels. The glyph of code k sits in cell row k / 16 from
// the top and column k % 16; it is drawn white on black, centred across its
// cell, with its baseline 6 pixels above the cell's bottom. The sheet is
// stored bottom-up: the first stored row is the picture's bottom row.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::font {

inline constexpr int kSheetSide = 512;
inline constexpr int kCellSide = 32;
inline constexpr int kCellsPerRow = 16;
// Rows from the cell's top down to the baseline.
inline constexpr int kBaselineRow = 26;
// Ink never touches the outermost pixels of a cell, so linear filtering at a
// cell's edge picks up nothing of its neighbour.
inline constexpr int kCellMargin = 1;

enum class CellKind {
    Empty,  // tab, line feed, carriage return, space, no-break space
    Box,    // the other control codes and those without a glyph
    Glyph,
};

CellKind cellKind(int code);

// Draws the sheet with FreeType from DejaVu Sans Bold. Same bytes on every
// run. False, with a message, when the face can't be opened.
bool drawGlyphSheet(std::vector<uint8_t>& sheet, std::string* error);

// Pixel (x, y) of code's cell, y counted down from the cell's top, in a
// bottom-up sheet of kSheetSide * kSheetSide bytes.
inline uint8_t cellPixel(const uint8_t* sheet, int code, int x, int y) {
    const int row = (code / kCellsPerRow) * kCellSide + y;  // from the picture's top
    const int column = (code % kCellsPerRow) * kCellSide + x;
    return sheet[static_cast<size_t>(kSheetSide - 1 - row) * kSheetSide + column];
}

}  // namespace tev::font
