#pragma once
// A small image-synthesis toolkit: up to LAYER_SLOTS working images of
// 256 x 256 RGBA ("layers") and operations that fill one channel with a
// pattern, resample one layer into another or re-colour a layer in HSV.
//
// A layer is 262,144 bytes, row-major; pixel (x, y) is pixel y * 256 + x and
// its bytes are red, green, blue, alpha, addressed as channel 0..3. Where a
// pixel is one 32-bit value, red is the least significant byte.
//
// Bad arguments are harmless: an operation on a layer index outside
// 0..count()-1 or a channel outside 0..3 writes nothing and returns false
// (sampleBilinear then returns 0). Every operation is exact to the bit: the
// precision and order of its arithmetic are part of the contract.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace tev {

inline constexpr int LAYER_SLOTS = 75;

class LayerStack {
  public:
    static constexpr int kSide = 256;
    static constexpr size_t kLayerBytes = size_t{kSide} * kSide * 4;
    // cellDistance refuses more points than this: the cost is points x pixels.
    static constexpr int kMaxCellPoints = 4096;

    // Gives the memory of one layer, or null when there is none. The stack
    // clears it. Tests pass their own to make an allocation fail; an empty
    // one means the ordinary heap.
    using Allocator = std::function<std::unique_ptr<uint8_t[]>()>;

    // Starts with 8 cleared layers (fewer if memory runs out: see count()).
    LayerStack();
    explicit LayerStack(Allocator allocator);
    LayerStack(const LayerStack&) = delete;
    LayerStack& operator=(const LayerStack&) = delete;

    // Releases every layer, then creates min(max(n, 0), LAYER_SLOTS) cleared
    // ones. Returns the number now in place. When a layer cannot be
    // allocated, creation stops there: the result is that slot's index, and
    // only the layers before it exist.
    int setLayerCount(int n);

    int count() const { return count_; }

    // The bytes of a layer, or null for an index outside 0..count()-1.
    uint8_t* layer(int index);
    const uint8_t* layer(int index) const;

    // channel = (sin((x*stepX + phaseX) u) + sin((y*stepY + phaseY) u)) * 63.5
    // + 127, truncated, with the angle unit u = 3.14 / 128. Values 0..254.
    bool sinePlasma(int layer, int channel, int stepX, int stepY, int phaseX, int phaseY);

    // Every pixel of dst = src sampled at (x - sin(rowPhase u) ampX 256,
    // y - sin(colPhase u) ampY 256), rowPhase stepping per row and colPhase
    // per column. dst's alpha becomes 0. dst may equal src: the source is
    // then read as it was before the call.
    bool warpCopy(int src, int rowStep, int rowStart, double ampX, int colStep, int colStart,
                  double ampY, int dst);

    // Bilinear RGB at (x, y), wrapping at 256 in both axes; alpha byte 0.
    // Non-finite coordinates sample at 0.
    uint32_t sampleBilinear(int layer, double x, double y) const;

    // Re-colours every pixel through HSV: hue scaled by hueScale/256 and
    // shifted by hueShift/256 of a turn, saturation scaled by satScale/256
    // and shifted by satShift/256 (then at most 1), value scaled by
    // valScale/256 and shifted by valShift (then at most 255). Alpha becomes 0.
    bool adjustHsv(int layer, double hueShift, double hueScale, double satShift, double satScale,
                   double valShift, double valScale);

    // Distance to the nearest of `count` feature points (from a 32-bit
    // generator seeded with `seed`), wrapping at 256, times scale / 32,
    // limited to 0..255 and rounded half to even. count <= 0 measures
    // against none (the start distance 512); more than kMaxCellPoints writes
    // nothing and returns false.
    bool cellDistance(int layer, int channel, int count, int scale, int seed);

    // channel = sin((v * a / 16384 + b / 128) * 3.14) * 126 + 128, truncated:
    // values 2..254. v * a is a real product (it never wraps).
    bool sineRemap(int layer, int channel, int a, int b);

    // Hue in degrees [0, 360) or -1 for a grey, saturation 0..1, value =
    // max(r, g, b). Ties for the largest component go to red, then green.
    static void rgbToHsv(double r, double g, double b, double& hue, double& saturation,
                         double& value);

    // r + g * 256 + b * 65536 with each component truncated and limited to
    // 0..255, so one component never spills into another (alpha byte 0).
    static uint32_t hsvToRgb(double hue, double saturation, double value);

    // The first `count` feature points of cellDistance, as pixel centres.
    static void cellPoints(int count, int seed, double* xs, double* ys);

  private:
    bool validChannel(int layer, int channel) const;

    Allocator allocator_;
    std::array<std::unique_ptr<uint8_t[]>, LAYER_SLOTS> slots_;
    int count_ = 0;
};

}  // namespace tev
