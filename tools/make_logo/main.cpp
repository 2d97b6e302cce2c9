// tev-make-logo OUT.bin [--preview DIR] [--icon SIDE FILE.png]... [--window-icons FILE
// SIDE,...]: draws the logo the show carries, 256 x 128 gray in the embedded-image layout,
// stored bottom-up. The preview shows it upright and stretched to a 4:3 view, as the show
// does; each --icon writes the desktop icon at SIDE x SIDE pixels. --window-icons writes
// the same icon at each SIDE as RGBA embedded-image records (row 0 at the top), one after
// another, for the windows the program shows itself.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "assets/embedded_image.h"
#include "file_io.h"
#include "icon.h"
#include "png_io.h"
#include "portable/standard_output.h"
#include "title_art.h"

namespace {

using namespace tev::logo;

bool writePreview(const std::filesystem::path& dir, const std::vector<uint8_t>& gray) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // Upright, then stretched to 4:3 (each row shown one and a half times as tall).
    constexpr int kViewHeight = kLogoHeight * 3 / 2;
    std::vector<uint8_t> upright(gray.size()), view(size_t(kLogoWidth) * kViewHeight);
    for (int y = 0; y < kLogoHeight; ++y) {
        std::memcpy(upright.data() + size_t(y) * kLogoWidth,
                    gray.data() + size_t(kLogoHeight - 1 - y) * kLogoWidth, kLogoWidth);
    }
    for (int y = 0; y < kViewHeight; ++y) {
        std::memcpy(view.data() + size_t(y) * kLogoWidth,
                    upright.data() + size_t(y * 2 / 3) * kLogoWidth, kLogoWidth);
    }
    std::string error;
    const bool ok = tev::png::writeGray((dir / "logo.png").string(), kLogoWidth, kLogoHeight,
                                        upright.data(), &error) &&
                    tev::png::writeGray((dir / "logo_4x3.png").string(), kLogoWidth, kViewHeight,
                                        view.data(), &error);
    if (!ok) std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
    return ok;
}

// Writes the desktop icon at `side` pixels to `path`.
bool writeIcon(const LogoPicture& picture, int side, const std::string& path) {
    const std::vector<uint8_t> rgba = drawIcon(picture, side);
    std::string error;
    if (tev::png::writeRgba(path, side, side, rgba.data(), &error)) return true;
    std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
    return false;
}

// Writes the icon at each side to `path` as RGBA records, one after another.
bool writeWindowIcons(const LogoPicture& picture, const std::vector<int>& sides,
                      const std::string& path) {
    std::vector<uint8_t> records;
    for (const int side : sides) {
        const std::vector<uint8_t> rgba = drawIcon(picture, side);
        const std::vector<uint8_t> record = tev::encodeEmbeddedImage(side, side, 4, rgba.data());
        records.insert(records.end(), record.begin(), record.end());
    }
    std::string error;
    if (tev::files::writeFileAtomically(path, records, &error)) return true;
    std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
    return false;
}

// An icon side from the command line; 0 when it is not one.
int iconSide(const char* text, const char** end) {
    char* stop = nullptr;
    const long side = std::strtol(text, &stop, 10);
    *end = stop;
    return stop != text && side >= 1 && side <= 256 * kLogoFine ? int(side) : 0;
}

}  // namespace

constexpr char kUsage[] =
    "Usage: tev-make-logo OUT.bin [--preview DIR] [--icon SIDE FILE.png]...\n"
    "                     [--window-icons FILE SIDE,...]\n";

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return tev::endOfPrinting("tev-make-logo");
    }
    std::string previewDir;
    std::vector<std::pair<int, std::string>> icons;  // side, file
    std::string windowIconsFile;
    std::vector<int> windowIconSides;
    // An option it does not know (--version) is no file name to write.
    bool usable = argc >= 2 && argv[1][0] != '-';
    for (int i = 2; usable && i < argc;) {
        if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc) {
            previewDir = argv[i + 1];
            i += 2;
        } else if (std::strcmp(argv[i], "--icon") == 0 && i + 2 < argc) {
            const char* end = nullptr;
            const int side = iconSide(argv[i + 1], &end);
            usable = side != 0 && *end == '\0';
            icons.emplace_back(side, argv[i + 2]);
            i += 3;
        } else if (std::strcmp(argv[i], "--window-icons") == 0 && i + 2 < argc &&
                   windowIconsFile.empty()) {
            windowIconsFile = argv[i + 1];
            for (const char* text = argv[i + 2]; usable;) {
                const char* end = nullptr;
                const int side = iconSide(text, &end);
                usable = side != 0 && (*end == '\0' || *end == ',');
                windowIconSides.push_back(side);
                if (*end != ',') break;
                text = end + 1;
            }
            i += 3;
        } else {
            usable = false;
        }
    }
    if (!usable) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    LogoPicture picture;
    std::string error;
    if (!drawLogoPicture(picture, &error)) {
        std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> gray = storedLogo(picture);
    if (!tev::files::writeFileAtomically(
            argv[1], tev::encodeEmbeddedImage(kLogoWidth, kLogoHeight, 1, gray.data()), &error)) {
        std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
        return 1;
    }
    if (!previewDir.empty() && !writePreview(previewDir, gray)) return 1;
    for (const auto& [side, file] : icons) {
        if (!writeIcon(picture, side, file)) return 1;
    }
    if (!windowIconsFile.empty() && !writeWindowIcons(picture, windowIconSides, windowIconsFile)) {
        return 1;
    }
    return 0;
}
