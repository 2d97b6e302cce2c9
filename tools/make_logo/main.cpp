// tev-make-logo OUT.bin [--preview DIR | --icon ICON.png]: draws the logo the show carries,
// 256 x 128 gray in the embedded-image layout, stored bottom-up. The preview
// shows it upright and stretched to a 4:3 view, as the show does.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/embedded_image.h"
#include "file_io.h"
#include "png_io.h"
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

// The desktop icon: the upright logo, tinted gold, on a dark rounded square.
bool writeIcon(const std::string& path, const std::vector<uint8_t>& gray) {
    constexpr int kSide = kLogoWidth;
    constexpr int kTop = (kSide - kLogoHeight) / 2;
    constexpr double kRadius = 40.0;
    std::vector<uint8_t> rgba(size_t(kSide) * kSide * 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            // Distance outside the rounded square, for a soft edge.
            const double dx =
                std::max(0.0, std::abs(x + 0.5 - kSide / 2.0) - (kSide / 2.0 - kRadius));
            const double dy =
                std::max(0.0, std::abs(y + 0.5 - kSide / 2.0) - (kSide / 2.0 - kRadius));
            const double outside = std::sqrt(dx * dx + dy * dy) - kRadius;
            const double coverage = std::clamp(0.5 - outside, 0.0, 1.0);
            const int row = y - kTop;
            // Stored bottom-up: the last stored row is the top of the picture.
            const double g = row >= 0 && row < kLogoHeight
                                 ? gray[size_t(kLogoHeight - 1 - row) * kLogoWidth + x] / 255.0
                                 : 0.0;
            const double shade = 0.08 + 0.06 * (1.0 - double(y) / kSide);
            uint8_t* p = &rgba[(size_t(y) * kSide + x) * 4];
            p[0] = uint8_t(std::lround(255 * std::min(1.0, shade + g * 1.00)));
            p[1] = uint8_t(std::lround(255 * std::min(1.0, shade + g * 0.82)));
            p[2] = uint8_t(std::lround(255 * std::min(1.0, shade * 1.4 + g * 0.45)));
            p[3] = uint8_t(std::lround(255 * coverage));
        }
    }
    std::string error;
    if (tev::png::writeRgba(path, kSide, kSide, rgba.data(), &error)) return true;
    std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: tev-make-logo OUT.bin [--preview DIR | --icon ICON.png]\n");
        return 0;
    }
    const bool preview = argc == 4 && std::strcmp(argv[2], "--preview") == 0;
    const bool icon = argc == 4 && std::strcmp(argv[2], "--icon") == 0;
    if (argc != 2 && !preview && !icon) {
        std::fprintf(stderr, "Usage: tev-make-logo OUT.bin [--preview DIR | --icon ICON.png]\n");
        return 2;
    }
    std::vector<uint8_t> gray;
    std::string error;
    if (!drawLogo(gray, &error)) {
        std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
        return 1;
    }
    if (!tev::files::writeFileAtomically(
            argv[1], tev::encodeEmbeddedImage(kLogoWidth, kLogoHeight, 1, gray.data()), &error)) {
        std::fprintf(stderr, "tev-make-logo: %s\n", error.c_str());
        return 1;
    }
    if (preview && !writePreview(argv[3], gray)) return 1;
    if (icon && !writeIcon(argv[3], gray)) return 1;
    return 0;
}
