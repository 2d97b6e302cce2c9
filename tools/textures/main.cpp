// tev-textures DIR: writes the show's computed textures as PNG files, for
// artists and for checking. Needs no display and no GL.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "png_io.h"
#include "portable/standard_output.h"
#include "proc/setup_layers.h"
#include "proc/texture_kinds.h"
#include "tev_version.h"

namespace {

void printUsage(FILE* out) {
    std::fprintf(out,
                 "Usage: tev-textures DIR\n"
                 "Writes the show's procedural textures into DIR (created if missing):\n"
                 "  kind1.png .. kind5.png    the generator kinds (gray or RGBA)\n"
                 "  layer0.png .. layer2.png  the three composed layer textures (RGBA)\n"
                 "Row 0 of each texture is the first row of its PNG.\n"
                 "Options:\n"
                 "  -h, --help                show this help\n"
                 "  --version                 show the version of the program\n");
}

bool writeFile(const std::filesystem::path& path, int width, int height, int channels,
               const uint8_t* pixels) {
    std::string error;
    if (!tev::png::write(path.string(), width, height, channels, pixels, &error)) {
        std::fprintf(stderr, "tev-textures: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return tev::endOfPrinting("tev-textures");
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("tev-textures " TEV_VERSION);
        return tev::endOfPrinting("tev-textures");
    }
    if (argc != 2 || argv[1][0] == '\0' || (argv[1][0] == '-' && argv[1][1] != '\0')) {
        printUsage(stderr);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "tev-textures: cannot create directory %s: %s\n", dir.c_str(),
                     ec ? ec.message().c_str() : "a file of that name is in the way");
        return 1;
    }

    for (int number = 1; number <= 5; ++number) {
        const tev::TextureKind kind = *tev::textureKindFromNumber(number);
        const tev::TextureKindInfo& info = tev::textureKindInfo(kind);
        const std::vector<uint8_t> pixels = tev::fillTextureKind(kind);
        const auto path = dir / ("kind" + std::to_string(number) + ".png");
        if (!writeFile(path, info.width, info.height, info.channels, pixels.data())) return 1;
    }

    const std::optional<tev::SetupLayers> layers = tev::composeSetupLayers();
    if (!layers) {
        std::fprintf(stderr, "tev-textures: out of memory composing the layers\n");
        return 1;
    }
    for (int k = 0; k < tev::kSetupLayerCount; ++k) {
        const auto path = dir / ("layer" + std::to_string(k) + ".png");
        if (!writeFile(path, tev::kSetupLayerSide, tev::kSetupLayerSide, 4, (*layers)[k].data())) {
            return 1;
        }
    }
    return 0;
}
