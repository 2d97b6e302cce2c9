// tev-make-font-sheet OUT.bin [--preview DIR]: draws the glyph sheet that
// the show carries, in the embedded-image layout (512 x 512 x 1, bottom-up).
// The preview holds the sheet as seen and a line of text set at the show's
// pitch.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/embedded_image.h"
#include "file_io.h"
#include "glyph_sheet.h"
#include "png_io.h"
#include "portable/standard_output.h"

namespace {

using namespace tev::font;

// Text as the show draws it: each glyph a 16-unit quad, 8 units apart, added
// to the picture. Here one unit is two pixels, so the cells land unscaled.
std::vector<uint8_t> textSample(const std::vector<uint8_t>& sheet, const char* const* lines,
                                int lineCount, int width) {
    const int height = lineCount * kCellSide + 8;
    std::vector<int> sum(static_cast<size_t>(width) * height, 0);
    for (int line = 0; line < lineCount; ++line) {
        const char* text = lines[line];
        for (int i = 0; text[i] != '\0'; ++i) {
            const int code = static_cast<unsigned char>(text[i]);
            const int left = 4 + i * (kCellSide / 2) - kCellSide / 4;
            for (int y = 0; y < kCellSide; ++y) {
                for (int x = 0; x < kCellSide; ++x) {
                    const int px = left + x;
                    if (px < 0 || px >= width) continue;
                    sum[static_cast<size_t>(4 + line * kCellSide + y) * width + px] +=
                        cellPixel(sheet.data(), code, x, y);
                }
            }
        }
    }
    std::vector<uint8_t> out(sum.size());
    for (size_t i = 0; i < sum.size(); ++i)
        out[i] = static_cast<uint8_t>(std::min(sum[i], 255));
    return out;
}

bool writePreview(const std::filesystem::path& dir, const std::vector<uint8_t>& sheet) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::vector<uint8_t> seen(sheet.size());
    for (int row = 0; row < kSheetSide; ++row) {
        std::memcpy(seen.data() + static_cast<size_t>(row) * kSheetSide,
                    sheet.data() + static_cast<size_t>(kSheetSide - 1 - row) * kSheetSide,
                    kSheetSide);
    }
    static const char* const lines[] = {
        "THE QUICK BROWN FOX JUMPS OVER",
        "the lazy dog: 0123456789 !?%&@",
        "Mimmi wove WAVES -- tev :: intro",
        "\xc5ngstr\xf6m \xc6r\xf8 caf\xe9 \xdf \xa9 \xb1 \xbd \x01\x7f",
    };
    const std::vector<uint8_t> sample = textSample(sheet, lines, 4, 560);
    std::string error;
    const bool ok =
        tev::png::writeGray((dir / "font_sheet.png").string(), kSheetSide, kSheetSide, seen.data(),
                            &error) &&
        tev::png::writeGray((dir / "font_sample.png").string(), 560,
                            static_cast<int>(sample.size() / 560), sample.data(), &error);
    if (!ok) std::fprintf(stderr, "tev-make-font-sheet: %s\n", error.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: tev-make-font-sheet OUT.bin [--preview DIR]\n");
        return tev::endOfPrinting("tev-make-font-sheet");
    }
    const bool preview = argc == 4 && std::strcmp(argv[2], "--preview") == 0;
    // An option it does not know (--version) is no file name to write.
    if ((argc != 2 && !preview) || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: tev-make-font-sheet OUT.bin [--preview DIR]\n");
        return 2;
    }
    std::vector<uint8_t> sheet;
    std::string error;
    if (!drawGlyphSheet(sheet, &error)) {
        std::fprintf(stderr, "tev-make-font-sheet: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> record =
        tev::encodeEmbeddedImage(kSheetSide, kSheetSide, 1, sheet.data());
    if (!tev::files::writeFileAtomically(argv[1], record, &error)) {
        std::fprintf(stderr, "tev-make-font-sheet: %s\n", error.c_str());
        return 1;
    }
    if (preview && !writePreview(argv[3], sheet)) return 1;
    return 0;
}
