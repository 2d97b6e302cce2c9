// What the build puts beside the program: DATA.PAK and the five sprites,
// read from the working directory the tests run in (the program folder).

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "canvas.h"
#include "glyph_sheet.h"
#include "pack_io.h"
#include "pictures.h"
#include "temp_dir.h"

namespace tev {
namespace {

std::vector<pack::Entry> generatedPack() {
    const std::vector<uint8_t> bytes = test::readFile("DATA.PAK");
    std::vector<pack::Entry> entries;
    std::string error;
    EXPECT_TRUE(pack::parsePack(bytes.data(), bytes.size(), entries, &error)) << error;
    return entries;
}

// Mean absolute difference of luminance between two columns (wrapping).
double columnStep(const uint8_t* rgba, int side, int a, int b) {
    double sum = 0;
    for (int y = 0; y < side; ++y) {
        const uint8_t* p = rgba + (size_t(y) * side + a) * 4;
        const uint8_t* q = rgba + (size_t(y) * side + b) * 4;
        sum += std::abs((p[0] + p[1] + p[2]) - (q[0] + q[1] + q[2])) / 3.0;
    }
    return sum / side;
}

double rowStep(const uint8_t* rgba, int side, int a, int b) {
    double sum = 0;
    for (int x = 0; x < side; ++x) {
        const uint8_t* p = rgba + (size_t(a) * side + x) * 4;
        const uint8_t* q = rgba + (size_t(b) * side + x) * 4;
        sum += std::abs((p[0] + p[1] + p[2]) - (q[0] + q[1] + q[2])) / 3.0;
    }
    return sum / side;
}

// The seam between the last and first column (and row) is no rougher than
// the picture's own steps between neighbours.
void expectSeamless(const uint8_t* rgba, int side) {
    double columns = 0, rows = 0;
    for (int i = 0; i + 1 < side; ++i) {
        columns += columnStep(rgba, side, i, i + 1);
        rows += rowStep(rgba, side, i, i + 1);
    }
    EXPECT_LT(columnStep(rgba, side, side - 1, 0), 2.5 * columns / (side - 1));
    EXPECT_LT(rowStep(rgba, side, side - 1, 0), 2.5 * rows / (side - 1));
}

TEST(Content, PackHoldsSeventeenOpaqueDistinctPictures) {
    const std::vector<pack::Entry> entries = generatedPack();
    ASSERT_EQ(entries.size(), 17u);
    std::set<std::vector<uint8_t>> seen;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string name = i < 16 ? "PIC" + std::to_string(i) : "DESTRUCT";
        EXPECT_EQ(entries[i].name, name);
        pack::Picture picture;
        std::string error;
        ASSERT_TRUE(pack::parsePicture(entries[i], picture, &error)) << name << ": " << error;
        EXPECT_EQ(picture.width, 256u);
        EXPECT_EQ(picture.height, 256u);
        EXPECT_EQ(picture.depth, 4u);
        EXPECT_EQ(picture.extraBytes, 0u);
        double sum = 0, squares = 0;
        bool opaque = true;
        for (size_t p = 0; p < 256 * 256; ++p) {
            const uint8_t* px = picture.pixels + p * 4;
            opaque = opaque && px[3] == 255;
            const double l = (px[0] + px[1] + px[2]) / 3.0;
            sum += l, squares += l * l;
        }
        EXPECT_TRUE(opaque) << name;
        const double mean = sum / 65536, deviation = std::sqrt(squares / 65536 - mean * mean);
        EXPECT_GT(deviation, 12) << name << " is nearly flat";
        EXPECT_TRUE(seen.insert(entries[i].payload).second) << name << " repeats a picture";
    }
}

TEST(Content, PackIsWhatTheGeneratorDrawsNow) {
    // Deterministic drawing, and no stale pack left in the program folder.
    const std::vector<pack::Entry> entries = generatedPack();
    ASSERT_EQ(entries.size(), 17u);
    std::vector<uint8_t> sheet;
    std::string error;
    ASSERT_TRUE(font::drawGlyphSheet(sheet, &error)) << error;
    const content::SheetFont font(std::move(sheet));
    const std::vector<uint8_t> closing = content::drawPicture(15, font, &error);
    ASSERT_EQ(closing.size(), 256u * 256 * 4) << error;
    EXPECT_EQ(std::memcmp(entries[15].payload.data() + 12, closing.data(), closing.size()), 0);
    const std::vector<uint8_t> destruct = content::drawDestruct();
    EXPECT_EQ(std::memcmp(entries[16].payload.data() + 12, destruct.data(), destruct.size()), 0);
}

TEST(Content, DestructTilesWithoutASeam) {
    // The waving sheet's coordinates run past 1 and wrap.
    const std::vector<pack::Entry> entries = generatedPack();
    ASSERT_EQ(entries.size(), 17u);
    expectSeamless(entries[16].payload.data() + 12, 256);
}

struct Tga {
    int width = 0, height = 0, bits = 0;
    std::vector<uint8_t> rgba;  // top-down
};

Tga readTga(const std::string& name) {
    const std::vector<uint8_t> bytes = test::readFile("data/" + name + ".tga");
    Tga tga;
    if (bytes.size() < 18) {
        ADD_FAILURE() << name << ": missing or too short";
        return tga;
    }
    EXPECT_EQ(bytes[0], 0) << name << ": ID field";
    EXPECT_EQ(bytes[1], 0) << name << ": colour map";
    EXPECT_EQ(bytes[2], 2) << name << ": uncompressed true colour";
    EXPECT_EQ(bytes[17] & 0x20, 0) << name << ": bottom-up";
    tga.width = bytes[12] | bytes[13] << 8;
    tga.height = bytes[14] | bytes[15] << 8;
    tga.bits = bytes[16];
    EXPECT_TRUE(tga.bits == 24 || tga.bits == 32) << name;
    EXPECT_EQ(tga.width & (tga.width - 1), 0) << name << ": power of two";
    EXPECT_EQ(tga.width, tga.height) << name;
    const size_t depth = size_t(tga.bits) / 8;
    if (bytes.size() != 18 + size_t(tga.width) * tga.height * depth) {
        ADD_FAILURE() << name << ": " << bytes.size() << " bytes";
        return {};
    }
    tga.rgba.resize(size_t(tga.width) * tga.height * 4);
    for (int y = 0; y < tga.height; ++y) {
        for (int x = 0; x < tga.width; ++x) {
            const uint8_t* in =
                bytes.data() + 18 + (size_t(tga.height - 1 - y) * tga.width + x) * depth;
            uint8_t* out = tga.rgba.data() + (size_t(y) * tga.width + x) * 4;
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
            out[3] = depth == 4 ? in[3] : 255;
        }
    }
    return tga;
}

TEST(Content, KeyedSpritesHaveACleanBackgroundAndASolidSubject) {
    // The show keys out pixels whose red, green and blue are all below 4.
    for (const char* name : {"leaf", "n"}) {
        const Tga tga = readTga(name);
        ASSERT_FALSE(tga.rgba.empty()) << name;
        const int w = tga.width, h = tga.height;
        auto keyed = [&](int x, int y) {
            const uint8_t* p = tga.rgba.data() + (size_t(y) * w + x) * 4;
            return p[0] < 4 && p[1] < 4 && p[2] < 4;
        };
        // Every keyed pixel is background reached from the border: no hole
        // punched into the subject.
        std::vector<uint8_t> reached(size_t(w) * h, 0);
        std::vector<std::pair<int, int>> todo;
        for (int i = 0; i < w; ++i)
            todo.insert(todo.end(), {{i, 0}, {i, h - 1}, {0, i}, {w - 1, i}});
        int reachedCount = 0;
        while (!todo.empty()) {
            const auto [x, y] = todo.back();
            todo.pop_back();
            if (x < 0 || y < 0 || x >= w || y >= h || reached[size_t(y) * w + x] || !keyed(x, y))
                continue;
            reached[size_t(y) * w + x] = 1;
            ++reachedCount;
            todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
        }
        int keyedCount = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                keyedCount += keyed(x, y);
        EXPECT_EQ(keyedCount, reachedCount) << name << ": keyed pixels inside the subject";
        EXPECT_TRUE(keyed(0, 0) && keyed(w - 1, h - 1)) << name;
        EXPECT_GT(w * h - keyedCount, w * h / 6) << name << ": subject too small";
        EXPECT_LT(w * h - keyedCount, w * h * 3 / 4) << name << ": background too small";
    }
}

TEST(Content, OtherSpritesFitTheirUse) {
    for (const char* name : {"block", "flare", "tex"}) {
        const Tga tga = readTga(name);
        ASSERT_FALSE(tga.rgba.empty()) << name;
    }
    // The flare fades out before its border, so no square edge shows.
    const Tga flare = readTga("flare");
    ASSERT_FALSE(flare.rgba.empty());
    int brightestBorder = 0;
    for (int i = 0; i < flare.width; ++i) {
        for (const int offset : {i * 4, ((flare.height - 1) * flare.width + i) * 4,
                                 i * flare.width * 4, (i * flare.width + flare.width - 1) * 4}) {
            for (int c = 0; c < 4; ++c)
                brightestBorder = std::max<int>(brightestBorder, flare.rgba[size_t(offset + c)]);
        }
    }
    EXPECT_LT(brightestBorder, 3);
    // The texture tile repeats without a seam.
    const Tga tile = readTga("tex");
    ASSERT_FALSE(tile.rgba.empty());
    expectSeamless(tile.rgba.data(), tile.width);
}

}  // namespace
}  // namespace tev
