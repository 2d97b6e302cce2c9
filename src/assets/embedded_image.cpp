#include "assets/embedded_image.h"

#include "portable/little_endian.h"

namespace tev {

std::optional<EmbeddedImage> EmbeddedImage::parse(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 12) return std::nullopt;
    EmbeddedImage image;
    image.width = readLe32(data);
    image.height = readLe32(data + 4);
    image.channels = readLe32(data + 8);
    uint64_t area = 0, bytes = 0;
    if (image.width == 0 || image.height == 0 || image.channels == 0 ||
        __builtin_mul_overflow(uint64_t{image.width}, uint64_t{image.height}, &area) ||
        __builtin_mul_overflow(area, uint64_t{image.channels}, &bytes) || bytes > size - 12) {
        return std::nullopt;
    }
    image.pixels = data + 12;
    return image;
}

std::vector<uint8_t> encodeEmbeddedImage(uint32_t width, uint32_t height, uint32_t channels,
                                         const uint8_t* pixels) {
    std::vector<uint8_t> out;
    const size_t bytes = size_t{width} * height * channels;
    out.reserve(12 + bytes);
    putLe32(out, width);
    putLe32(out, height);
    putLe32(out, channels);
    out.insert(out.end(), pixels, pixels + bytes);
    return out;
}

}  // namespace tev
