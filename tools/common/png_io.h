#pragma once
// PNG files for the tools: write 8-bit gray, RGB or RGBA images and read any
// PNG as 8-bit RGBA. Row 0 of a buffer is the first row of the file. Every
// call reports failure as false plus a message; a damaged or truncated file
// is a failure, never a crash.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::png {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4 bytes
};

// Largest width or height accepted on reading.
inline constexpr int kMaxSide = 16384;

// `pixels` holds width * height * channels bytes, channels 1 (gray), 3 (RGB)
// or 4 (RGBA).
bool write(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
           std::string* error);

inline bool writeGray(const std::string& path, int width, int height, const uint8_t* pixels,
                      std::string* error) {
    return write(path, width, height, 1, pixels, error);
}
inline bool writeRgb(const std::string& path, int width, int height, const uint8_t* pixels,
                     std::string* error) {
    return write(path, width, height, 3, pixels, error);
}
inline bool writeRgba(const std::string& path, int width, int height, const uint8_t* pixels,
                      std::string* error) {
    return write(path, width, height, 4, pixels, error);
}

// Any colour type and bit depth, converted to 8-bit RGBA (alpha 255 where
// the file has none). Sides above kMaxSide are refused.
bool readRgba(const std::string& path, Image& image, std::string* error);

}  // namespace tev::png
