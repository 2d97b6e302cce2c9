// The glyph sheet the program carries: its cell layout, its orientation and
// the metrics the font's drawing relies on.

#include "glyph_sheet.h"

#include <gtest/gtest.h>

#include "assets/embedded_image.h"
#include "embedded.h"

namespace tev {
namespace {

using font::cellKind;
using font::CellKind;
using font::cellPixel;
using font::kCellSide;

constexpr uint8_t kInk = 64;

const uint8_t* carriedSheet() {
    static const auto image = EmbeddedImage::parse(embedded::fontSheet, embedded::fontSheetSize);
    return image ? image->pixels : nullptr;
}

struct InkBox {
    int left = kCellSide, right = -1, top = kCellSide, bottom = -1;
    bool empty() const { return right < 0; }
    int width() const { return right - left + 1; }
};

InkBox inkBox(const uint8_t* sheet, int code) {
    InkBox box;
    for (int y = 0; y < kCellSide; ++y) {
        for (int x = 0; x < kCellSide; ++x) {
            if (cellPixel(sheet, code, x, y) < kInk) continue;
            box.left = std::min(box.left, x), box.right = std::max(box.right, x);
            box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

TEST(GlyphSheet, CarriedSheetIsTheDrawnOne) {
    const auto image = EmbeddedImage::parse(embedded::fontSheet, embedded::fontSheetSize);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 512u);
    EXPECT_EQ(image->height, 512u);
    EXPECT_EQ(image->channels, 1u);
    std::vector<uint8_t> fresh;
    std::string error;
    ASSERT_TRUE(font::drawGlyphSheet(fresh, &error)) << error;
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), image->pixels));
}

TEST(GlyphSheet, EveryCellHoldsWhatItsCodeNeeds) {
    const uint8_t* sheet = carriedSheet();
    ASSERT_TRUE(sheet);
    for (int code = 0; code < 256; ++code) {
        const InkBox box = inkBox(sheet, code);
        switch (cellKind(code)) {
            case CellKind::Empty:
                EXPECT_TRUE(box.empty()) << "code " << code;
                break;
            case CellKind::Glyph:
                EXPECT_FALSE(box.empty()) << "code " << code;
                break;
            case CellKind::Box:
                // Inked on all four sides, hollow in the middle.
                ASSERT_FALSE(box.empty()) << "code " << code;
                EXPECT_GE(cellPixel(sheet, code, box.left, (box.top + box.bottom) / 2), kInk);
                EXPECT_GE(cellPixel(sheet, code, box.right, (box.top + box.bottom) / 2), kInk);
                EXPECT_GE(cellPixel(sheet, code, (box.left + box.right) / 2, box.top), kInk);
                EXPECT_GE(cellPixel(sheet, code, (box.left + box.right) / 2, box.bottom), kInk);
                EXPECT_EQ(
                    cellPixel(sheet, code, (box.left + box.right) / 2, (box.top + box.bottom) / 2),
                    0);
                break;
        }
    }
    EXPECT_EQ(cellKind(65), CellKind::Glyph);
    for (int code : {9, 10, 13, 32, 160})
        EXPECT_EQ(cellKind(code), CellKind::Empty);
    for (int code : {0, 8, 11, 12, 14, 31})
        EXPECT_EQ(cellKind(code), CellKind::Box);
}

TEST(GlyphSheet, InkNeverTouchesACellsBorder) {
    // Linear filtering at a cell's edge would pull it into the neighbour's quad.
    const uint8_t* sheet = carriedSheet();
    ASSERT_TRUE(sheet);
    for (int code = 0; code < 256; ++code) {
        for (int i = 0; i < kCellSide; ++i) {
            ASSERT_EQ(cellPixel(sheet, code, i, 0), 0) << "code " << code;
            ASSERT_EQ(cellPixel(sheet, code, i, kCellSide - 1), 0) << "code " << code;
            ASSERT_EQ(cellPixel(sheet, code, 0, i), 0) << "code " << code;
            ASSERT_EQ(cellPixel(sheet, code, kCellSide - 1, i), 0) << "code " << code;
        }
    }
}

TEST(GlyphSheet, StoredBottomUpWithUprightGlyphs) {
    const uint8_t* sheet = carriedSheet();
    ASSERT_TRUE(sheet);
    // Read without cellPixel: code 32 (empty) is in the picture's third cell
    // row, code 208 (a capital) in its fourth row from the bottom; stored
    // bottom-up, their bands are stored rows 416..447 and 64..95.
    auto inkInBand = [&](int firstStoredRow) {
        int n = 0;
        for (int row = firstStoredRow; row < firstStoredRow + kCellSide; ++row)
            for (int x = 0; x < kCellSide; ++x)
                n += sheet[size_t(row) * 512 + x] >= kInk;
        return n;
    };
    EXPECT_EQ(inkInBand(416), 0);
    EXPECT_GT(inkInBand(64), 40);
    // "A" is narrow at its apex, "V" at its foot.
    auto rowWidth = [&](int code, int y) {
        int n = 0;
        for (int x = 0; x < kCellSide; ++x)
            n += cellPixel(sheet, code, x, y) >= kInk;
        return n;
    };
    const InkBox a = inkBox(sheet, 'A'), v = inkBox(sheet, 'V');
    EXPECT_LT(rowWidth('A', a.top + 1), rowWidth('A', a.bottom - 1));
    EXPECT_GT(rowWidth('V', v.top + 1), rowWidth('V', v.bottom - 1));
}

TEST(GlyphSheet, CapitalsAreCentredOnTheBaseline) {
    const uint8_t* sheet = carriedSheet();
    ASSERT_TRUE(sheet);
    int widthSum = 0;
    for (int code = 'A'; code <= 'Z'; ++code) {
        const InkBox box = inkBox(sheet, code);
        widthSum += box.width();
        // Centred across the cell, to the pixel.
        EXPECT_NEAR((box.left + box.right) / 2.0, 15.5, 1.0) << char(code);
        if (code != 'J' && code != 'Q') {
            EXPECT_EQ(box.bottom, font::kBaselineRow - 1) << char(code);
        }
    }
    EXPECT_NEAR(widthSum / 26.0, 18, 2);
    // Descenders stay inside the cell, below the baseline.
    EXPECT_GT(inkBox(sheet, 'g').bottom, font::kBaselineRow + 2);
}

}  // namespace
}  // namespace tev
