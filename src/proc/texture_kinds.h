#pragma once
// The five computed images, as pure functions from a kind to its pixel
// bytes (row-major, row 0 first, channels interleaved). Uploading them is
// the assets layer's business (assets/texture_generator.h); tools reuse
// these functions without any GL.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tev {

enum class TextureKind {
    RadialFalloff = 1,      // 256 x 256 gray: the soft disc
    SineInterference = 2,   // 256 x 256 gray
    LatticeBands = 3,       // 256 x 256 gray, lattice noise
    SineNoiseRgba = 4,      // 128 x 128 RGBA
    GradientNoiseRgba = 5,  // 256 x 256 RGBA, gradient noise seeded with 0
};

enum class TextureUpload {
    Luminance,  // single level from one byte per pixel
    Mipmapped,  // GLU mipmaps from four bytes per pixel
};

struct TextureKindInfo {
    int width;
    int height;
    int channels;
    TextureUpload upload;

    size_t byteCount() const { return static_cast<size_t>(width) * height * channels; }
};

// The kind for a type number 1..5, or nothing.
std::optional<TextureKind> textureKindFromNumber(int number);

// Size, channels and upload of a kind; all zero for a value outside 1..5.
const TextureKindInfo& textureKindInfo(TextureKind kind);

// Fills `out` (exactly the kind's byte count, else nothing is written and
// the result is false). Kind 5 reseeds the gradient noise with 0, which
// also restarts the program's rand() sequence from that seed.
bool fillTextureKind(TextureKind kind, std::span<uint8_t> out);

// The same, into a new buffer (empty for a value outside 1..5).
std::vector<uint8_t> fillTextureKind(TextureKind kind);

}  // namespace tev
