#include "assets/tga_loader.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "assets/picture_budget.h"
#include "portable/little_endian.h"
#include "portable/regular_file.h"

namespace tev {

namespace {

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 0;
    uint16_t firstColourMapEntry = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntrySize = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    int16_t width = 0;
    int16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t imageDescriptor = 0;
};

constexpr long kColourMapBytes = 768;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The 18 header bytes, field by field; bytes past the end of the file read
// as zero.
TgaHeader readHeader(FILE* file) {
    uint8_t b[18] = {};
    const size_t got = std::fread(b, 1, sizeof b, file);
    std::fill(b + got, b + sizeof b, uint8_t{0});
    TgaHeader h;
    h.idLength = b[0];
    h.colourMapType = b[1];
    h.imageType = b[2];
    h.firstColourMapEntry = readLe16(b + 3);
    h.colourMapLength = readLe16(b + 5);
    h.colourMapEntrySize = b[7];
    h.xOrigin = readLe16(b + 8);
    h.yOrigin = readLe16(b + 10);
    h.width = static_cast<int16_t>(readLe16(b + 12));
    h.height = static_cast<int16_t>(readLe16(b + 14));
    h.pixelDepth = b[16];
    h.imageDescriptor = b[17];
    return h;
}

}  // namespace

void applyColourKey(uint8_t* rgba, size_t pixelCount) {
    for (size_t i = 0; i < pixelCount; ++i, rgba += 4) {
        rgba[3] = (rgba[0] < 4 && rgba[1] < 4 && rgba[2] < 4) ? 0 : 255;
    }
}

TgaDecode decodeTga(Texture& texture, const char* path, bool colourKey) {
    texture.path = path;
    File file(openRegularFile(path));
    if (!file) return TgaDecode::Failed;

    // Reaching the end of the file is not an error here: fields it lacks
    // read as zero, and so do pixels.
    const TgaHeader header = readHeader(file.get());
    if (header.pixelDepth == 8) std::fseek(file.get(), kColourMapBytes, SEEK_CUR);
    if (std::ferror(file.get())) return TgaDecode::Failed;

    const int32_t channels = header.pixelDepth / 8;
    texture.setSize(texture.width, texture.height, channels);
    if (header.width < 0 || header.height < 0) return TgaDecode::Failed;
    texture.setSize(header.width, header.height, channels);
    if (channels != 1 && channels != 3 && channels != 4) {
        // Read but neither converted nor uploaded (a 16-bit file gives 2
        // channels, one below 8 bits 0): the record keeps the file's sizes
        // and no pixels, as there is nothing in them to show.
        texture.releasePixels();
        return TgaDecode::Unconverted;
    }
    // One buffer, with room for RGBA: the file's pixels are read into its
    // start and spread out in place. Bounded by the memory budget, not by
    // the file, so that a cut-short file still loads.
    const int64_t pixelCount = int64_t{header.width} * header.height;
    const auto rgbaBytes = static_cast<size_t>(pixelCount * 4);
    if (rgbaBytes > 0) {
        PictureBudget& budget = pictureBudget();
        if (!budget.fits(header.width, header.height, rgbaBytes)) {
            texture.releasePixels();
            return TgaDecode::Failed;
        }
        if (!texture.pixels.allocate(rgbaBytes, true)) return TgaDecode::Failed;
        budget.spend(rgbaBytes);
    }
    uint8_t* rgba = texture.pixels.get();
    if (rgba != nullptr) {
        // A file cut short: the bytes it lacks read as zero.
        const auto wanted = static_cast<size_t>(pixelCount * channels);
        const size_t got = std::fread(rgba, 1, wanted, file.get());
        std::fill(rgba + got, rgba + wanted, uint8_t{0});
    }
    if (std::ferror(file.get())) return TgaDecode::Failed;

    // Back to front, so that no pixel is overwritten before it is spread.
    switch (channels) {
        case 4:
            for (int64_t i = 0; i < pixelCount; ++i)
                std::swap(rgba[4 * i], rgba[4 * i + 2]);  // BGRA to RGBA
            break;
        case 3:
            for (int64_t i = pixelCount - 1; i >= 0; --i) {
                const uint8_t* in = rgba + 3 * i;
                const uint8_t b = in[0], g = in[1], r = in[2];
                uint8_t* out = rgba + 4 * i;
                out[0] = r;
                out[1] = g;
                out[2] = b;
                out[3] = 255;
            }
            break;
        case 1:
            for (int64_t i = pixelCount - 1; i >= 0; --i) {
                const uint8_t gray = rgba[i];
                uint8_t* out = rgba + 4 * i;
                out[0] = out[1] = out[2] = gray;
                out[3] = 255;
            }
            break;
    }
    if (colourKey && rgba != nullptr) applyColourKey(rgba, static_cast<size_t>(pixelCount));
    texture.channels = 4;
    return TgaDecode::Rgba;
}

int loadTga(Texture& texture, const char* path, bool colourKey) {
    switch (decodeTga(texture, path, colourKey)) {
        case TgaDecode::Failed:
            return -1;
        case TgaDecode::Rgba:
            texture.uploadMipmapped();
            break;
        case TgaDecode::Unconverted:
            break;  // read, but neither converted nor uploaded
    }
    return static_cast<int>(texture.textureName);
}

}  // namespace tev
