// tev-make-content OUTDIR [--preview DIR]: makes what the show reads from
// its working directory: OUTDIR/DATA.PAK (PIC0..PIC15 and DESTRUCT) and the
// five sprites OUTDIR/data/{leaf,block,flare,tex,n}.tga. The same bytes on
// every run. The preview holds every picture as PNG, upright, plus each
// pack picture as the show frames it on a 4:3 screen.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "canvas.h"
#include "file_io.h"
#include "glyph_sheet.h"
#include "pack_io.h"
#include "pictures.h"
#include "png_io.h"
#include "portable/standard_output.h"
#include "sprites.h"

namespace {

namespace fs = std::filesystem;
using namespace tev::content;

int fail(const std::string& message) {
    std::fprintf(stderr, "tev-make-content: %s\n", message.c_str());
    return 1;
}

// The picture show's framing: the middle 86.6 % of the picture (the quad
// overfills a 60-degree view at its distance), stretched to 4:3.
std::vector<uint8_t> asOnScreen(const std::vector<uint8_t>& rgba, int& width, int& height) {
    width = 320;
    height = 240;
    const double visible = 0.866, margin = (1 - visible) / 2 * kPictureSide;
    std::vector<uint8_t> out(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = margin + (x + 0.5) / width * visible * kPictureSide - 0.5;
            const double v = margin + (y + 0.5) / height * visible * kPictureSide - 0.5;
            const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
            const double fx = u - x0, fy = v - y0;
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int px, int py) {
                    return double(rgba[(size_t(py) * kPictureSide + size_t(px)) * 4 + size_t(c)]);
                };
                const double top = at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx;
                const double bottom = at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx;
                out[(size_t(y) * width + x) * 3 + size_t(c)] =
                    uint8_t(std::lround(top * (1 - fy) + bottom * fy));
            }
        }
    }
    return out;
}

bool writePng(const fs::path& path, int width, int height, int channels,
              const std::vector<uint8_t>& pixels) {
    std::string error;
    if (tev::png::write(path.string(), width, height, channels, pixels.data(), &error)) return true;
    std::fprintf(stderr, "tev-make-content: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: tev-make-content OUTDIR [--preview DIR]\n");
        return tev::endOfPrinting("tev-make-content");
    }
    const bool preview = argc == 4 && std::strcmp(argv[2], "--preview") == 0;
    // An option it does not know (--version) is no folder to write.
    if ((argc != 2 && !preview) || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: tev-make-content OUTDIR [--preview DIR]\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path previewDir = preview ? fs::path(argv[3]) : fs::path();
    std::error_code ec;
    fs::create_directories(out / "data", ec);
    if (ec) return fail("cannot create " + (out / "data").string() + ": " + ec.message());
    if (preview) {
        fs::create_directories(previewDir, ec);
        if (ec) return fail("cannot create " + previewDir.string() + ": " + ec.message());
    }

    std::vector<uint8_t> sheet;
    std::string error;
    if (!tev::font::drawGlyphSheet(sheet, &error)) return fail(error);
    const SheetFont font(std::move(sheet));

    std::vector<tev::pack::Entry> entries;
    for (int index = 0; index <= kPictureCount; ++index) {
        const bool last = index == kPictureCount;
        const std::string name = last ? "DESTRUCT" : "PIC" + std::to_string(index);
        const std::vector<uint8_t> rgba = last ? drawDestruct() : drawPicture(index, font, &error);
        if (rgba.empty()) return fail(name + ": " + error);
        entries.push_back(
            {name, tev::pack::picturePayload(kPictureSide, kPictureSide, 4, rgba.data())});
        if (preview) {
            int w = 0, h = 0;
            const std::vector<uint8_t> screen = asOnScreen(rgba, w, h);
            if (!writePng(previewDir / (name + ".png"), kPictureSide, kPictureSide, 4, rgba) ||
                !writePng(previewDir / (name + "_screen.png"), w, h, 3, screen)) {
                return 1;
            }
        }
    }
    std::vector<uint8_t> pack;
    if (!tev::pack::encodePack(entries, pack, &error) ||
        !tev::files::writeFileAtomically((out / "DATA.PAK").string(), pack, &error)) {
        return fail(error);
    }

    const std::vector<Sprite> sprites = drawSprites(&error);
    if (sprites.empty()) return fail(error);
    for (const Sprite& sprite : sprites) {
        const std::vector<uint8_t> tga =
            encodeTga(kSpriteSide, kSpriteSide, sprite.channels, sprite.rgba.data());
        const fs::path path = out / "data" / (sprite.name + ".tga");
        if (!tev::files::writeFileAtomically(path.string(), tga, &error)) return fail(error);
        if (preview && !writePng(previewDir / (sprite.name + ".png"), kSpriteSide, kSpriteSide, 4,
                                 sprite.rgba)) {
            return 1;
        }
    }
    return 0;
}
