#include "proc/texture_kinds.h"

#include <array>
#include <cmath>

#include "proc/exact_math.h"
#include "proc/noise.h"

namespace tev {
namespace {

constexpr double kPi = 3.141592653589793;

constexpr std::array<TextureKindInfo, 5> kKinds = {{
    {256, 256, 1, TextureUpload::Luminance},
    {256, 256, 1, TextureUpload::Luminance},
    {256, 256, 1, TextureUpload::Luminance},
    {128, 128, 4, TextureUpload::Mipmapped},
    {256, 256, 4, TextureUpload::Mipmapped},
}};

void fillRadialFalloff(uint8_t* out) {
    for (int y = -128; y < 128; ++y) {
        for (int x = -128; x < 128; ++x) {
            const int q = x * x + y * y;
            const double r = std::sqrt(static_cast<double>(q));
            const double e = (r * 0.0078125) * (q * 0.0000625);
            *out++ = clampedByte(1 - e * e * e);
        }
    }
}

void fillSineInterference(uint8_t* out) {
    // sin(x + y) takes only 511 arguments; the table holds the same values.
    std::array<float, 511> wave;
    for (int i = 0; i < 511; ++i)
        wave[i] = static_cast<float>(std::sin(static_cast<double>(i)) * 128);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const float a = wave[x + y];
            const double b = std::cos(static_cast<double>(x * x + y * y)) * 10 * a;
            *out++ = clampedByte(1 - b * b * b);
        }
    }
}

void fillLatticeBands(uint8_t* out) {
    // The smoothed noise is constant over each 8 x 8 block.
    std::array<float, 32> smooth;
    for (int y = 0; y < 256; ++y) {
        if (y % 8 == 0) {
            for (int bx = 0; bx < 32; ++bx)
                smooth[bx] = smoothLatticeNoise(bx, y / 8);
        }
        for (int x = 0; x < 256; ++x) {
            const float s = smooth[x / 8];
            const float t = latticeScaleSum(static_cast<float>(x), static_cast<float>(y));
            *out++ = byteOf(static_cast<double>(t) * s * 255);
        }
    }
}

void fillSineNoiseRgba(uint8_t* out) {
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const double a =
                std::sin((latticeNoise(x / 100, y / 100) + static_cast<float>(y)) * kPi * 2);
            const double b = std::cos((latticeNoise(x, y) + x) * kPi * 2);
            const float product = static_cast<float>(a * b);
            double d =
                (std::sin(static_cast<double>(y / 10)) + std::cos(static_cast<double>(x / 10))) *
                    0.2 +
                product;
            if (d < 0) d = 0;
            if (d > 1) d = 1;
            *out++ = byteOf(d * 255);
            *out++ = byteOf(d * 0.7 * 255);
            *out++ = byteOf(d * 0.7 * 0.3 * 255);
            *out++ = 255;
        }
    }
}

void fillGradientNoiseRgba(uint8_t* out, int width, int height) {
    seedGradientNoise(0);
    const float dx = 2.0f / static_cast<float>(width);
    const float dy = 2.0f / static_cast<float>(height);
    float fy = 0.0f;
    for (int j = 0; j < height; ++j) {
        float fx = 0.0f;
        // The row's phase does not depend on the column.
        const double rowPhase = j * 0.04 * kPi * 2;
        for (int k = 0; k < width; ++k) {
            const float n = static_cast<float>(std::fabs(gradientNoiseSum(fx, fy, 16)));
            // gradientNoise is a pure function of its arguments: one
            // evaluation serves both uses.
            const double base = gradientNoise(fx, fy);
            const double a = std::sin(base + k * 0.04 * kPi * 2);
            const double b = std::cos(base + rowPhase);
            double v = b + a + n;
            if (v < 0) v = 0;
            if (v > 1) v = 1;
            *out++ = byteOf(v * 255);
            *out++ = byteOf(v * 0.7 * 255);
            *out++ = byteOf(v * 0.7 * 0.63 * 255);
            *out++ = 255;
            fx += dx;
        }
        fy += dy;
    }
}

}  // namespace

std::optional<TextureKind> textureKindFromNumber(int number) {
    if (number < 1 || number > static_cast<int>(kKinds.size())) return std::nullopt;
    return static_cast<TextureKind>(number);
}

const TextureKindInfo& textureKindInfo(TextureKind kind) {
    static constexpr TextureKindInfo kNone{0, 0, 0, TextureUpload::Luminance};
    const int number = static_cast<int>(kind);
    if (!textureKindFromNumber(number)) return kNone;
    return kKinds[static_cast<size_t>(number) - 1];
}

bool fillTextureKind(TextureKind kind, std::span<uint8_t> out) {
    const TextureKindInfo& info = textureKindInfo(kind);
    if (info.byteCount() == 0 || out.size() != info.byteCount()) return false;
    switch (kind) {
        case TextureKind::RadialFalloff:
            fillRadialFalloff(out.data());
            break;
        case TextureKind::SineInterference:
            fillSineInterference(out.data());
            break;
        case TextureKind::LatticeBands:
            fillLatticeBands(out.data());
            break;
        case TextureKind::SineNoiseRgba:
            fillSineNoiseRgba(out.data());
            break;
        case TextureKind::GradientNoiseRgba:
            fillGradientNoiseRgba(out.data(), info.width, info.height);
            break;
        default:
            return false;
    }
    return true;
}

std::vector<uint8_t> fillTextureKind(TextureKind kind) {
    std::vector<uint8_t> pixels(textureKindInfo(kind).byteCount());
    fillTextureKind(kind, pixels);
    return pixels;
}

}  // namespace tev
