#pragma once
// A picture carried in the program's own data: three little-endian unsigned
// 32-bit words (width, height, channels), then width * height * channels
// pixel bytes, row-major, the first stored row going to OpenGL first.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tev {

struct EmbeddedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    const uint8_t* pixels = nullptr;  // points into the record's bytes

    // Reads the header of `size` bytes at `data`; nothing when the record is
    // shorter than its header says.
    static std::optional<EmbeddedImage> parse(const uint8_t* data, size_t size);
};

// The bytes of a record in this layout, for the generators that make them.
std::vector<uint8_t> encodeEmbeddedImage(uint32_t width, uint32_t height, uint32_t channels,
                                         const uint8_t* pixels);

}  // namespace tev
