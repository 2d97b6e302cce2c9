#include "proc/layer_stack.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <tuple>
#include <utility>

#include "proc/exact_math.h"

namespace tev {
namespace {

constexpr int kSide = LayerStack::kSide;
constexpr int kPixels = kSide * kSide;
constexpr double kAngleUnit = 0.02453125;  // 3.14 / 128

std::unique_ptr<uint8_t[]> allocateLayer() {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[LayerStack::kLayerBytes]);
}

void storePixel(uint8_t* pixel, uint32_t value) {
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
    pixel[2] = static_cast<uint8_t>(value >> 16);
    pixel[3] = static_cast<uint8_t>(value >> 24);
}

// Adds or subtracts whole turns until the hue is in [0, 360). Hues more
// than 64 turns away (and infinities) are first reduced with fmod, which is
// exact; stepping there could take practically forever.
double wrapDegrees(double hue) {
    if (!(std::fabs(hue) <= 64 * 360.0)) hue = std::fmod(hue, 360.0);
    while (hue < 0)
        hue += 360;
    while (hue >= 360)
        hue -= 360;
    return hue;
}

// Brings a coordinate into [0, 2^30) with the same integer part modulo 256
// and the same fraction as adding 256 until it is not negative would. fmod
// is exact, and so is every such addition where that loop would end at all.
double wrapCoordinate(double v) {
    if (!std::isfinite(v)) return 0.0;
    if (v < 0 || v >= 0x1p30) {
        v = std::fmod(v, 256.0);
        if (v < 0) v += 256.0;
        v += 0.0;  // no negative zero
    }
    return v;
}

uint32_t sampleAt(const uint8_t* pixels, double x, double y) {
    x = wrapCoordinate(x);
    y = wrapCoordinate(y);
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    const int xa = x0 & 255;
    const int xb = (x0 + 1) & 255;
    const int ya = y0 & 255;
    const int yb = (y0 + 1) & 255;
    const uint8_t* p00 = pixels + (ya * kSide + xa) * 4;
    const uint8_t* p10 = pixels + (ya * kSide + xb) * 4;
    const uint8_t* p01 = pixels + (yb * kSide + xa) * 4;
    const uint8_t* p11 = pixels + (yb * kSide + xb) * 4;
    const double w00 = (1 - fx) * (1 - fy);
    const double w10 = fx * (1 - fy);
    const double w01 = (1 - fx) * fy;
    const double w11 = fx * fy;
    uint32_t result = 0;
    for (int c = 0; c < 3; ++c) {
        const double v = w00 * p00[c] + w01 * p01[c] + w10 * p10[c] + w11 * p11[c];
        // The weights sum to 1, so v stays within 0..255.
        result += static_cast<uint32_t>(truncToInt(v)) << (8 * c);
    }
    return result;
}

}  // namespace

LayerStack::LayerStack() : LayerStack(allocateLayer) {}

LayerStack::LayerStack(Allocator allocator)
    : allocator_(allocator ? std::move(allocator) : Allocator(allocateLayer)) {
    setLayerCount(8);
}

int LayerStack::setLayerCount(int n) {
    for (auto& slot : slots_)
        slot.reset();
    count_ = 0;
    if (n > LAYER_SLOTS) n = LAYER_SLOTS;
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<uint8_t[]> fresh = allocator_();
        if (!fresh) break;
        std::memset(fresh.get(), 0, kLayerBytes);
        slots_[i] = std::move(fresh);
        count_ = i + 1;
    }
    return count_;
}

uint8_t* LayerStack::layer(int index) {
    if (index < 0 || index >= count_) return nullptr;
    return slots_[index].get();
}

const uint8_t* LayerStack::layer(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return slots_[index].get();
}

bool LayerStack::validChannel(int index, int channel) const {
    return layer(index) != nullptr && channel >= 0 && channel <= 3;
}

bool LayerStack::sinePlasma(int index, int channel, int stepX, int stepY, int phaseX, int phaseY) {
    if (!validChannel(index, channel)) return false;
    uint8_t* out = layer(index) + channel;
    // The column term is the same in every row.
    std::array<double, kSide> columnWave;
    for (int x = 0; x < kSide; ++x) {
        columnWave[x] = std::sin(wrapAdd(wrapMul(x, stepX), phaseX) * kAngleUnit);
    }
    for (int y = 0; y < kSide; ++y) {
        const double rowWave = std::sin(wrapAdd(wrapMul(y, stepY), phaseY) * kAngleUnit);
        for (int x = 0; x < kSide; ++x) {
            *out = byteOf((columnWave[x] + rowWave) * 63.5 + 127);
            out += 4;
        }
    }
    return true;
}

uint32_t LayerStack::sampleBilinear(int index, double x, double y) const {
    const uint8_t* pixels = layer(index);
    if (!pixels) return 0;
    return sampleAt(pixels, x, y);
}

bool LayerStack::warpCopy(int src, int rowStep, int rowStart, double ampX, int colStep,
                          int colStart, double ampY, int dst) {
    const uint8_t* source = layer(src);
    uint8_t* out = layer(dst);
    if (!source || !out) return false;
    std::unique_ptr<uint8_t[]> copy;
    if (source == out) {
        copy.reset(new (std::nothrow) uint8_t[kLayerBytes]);
        if (!copy) return false;
        std::memcpy(copy.get(), source, kLayerBytes);
        source = copy.get();
    }
    // The vertical shift depends on the column only.
    std::array<double, kSide> columnShift;
    int colPhase = colStart;
    for (int x = 0; x < kSide; ++x) {
        columnShift[x] = std::sin(colPhase * kAngleUnit) * ampY * 256;
        colPhase = wrapAdd(colPhase, colStep);
    }
    // Whole-pixel shifts sample with weights 1, 0, 0, 0: a plain fetch
    // gives the same bytes (a plain copy when the amplitudes are 0).
    auto whole = [](double shift) {
        return std::fabs(shift) < 0x1p30 && shift == std::trunc(shift);
    };
    bool columnsWhole = true;
    std::array<int, kSide> columnOffset;
    for (int x = 0; x < kSide; ++x) {
        columnsWhole = columnsWhole && whole(columnShift[x]);
        columnOffset[x] = columnsWhole ? static_cast<int>(columnShift[x]) : 0;
    }
    int rowPhase = rowStart;
    for (int y = 0; y < kSide; ++y) {
        const double rowShift = std::sin(rowPhase * kAngleUnit) * ampX * 256;
        if (columnsWhole && whole(rowShift)) {
            const int rowOffset = static_cast<int>(rowShift);
            for (int x = 0; x < kSide; ++x, out += 4) {
                const int sx = (x - rowOffset) & 255;
                const int sy = (y - columnOffset[x]) & 255;
                const uint8_t* p = source + (sy * kSide + sx) * 4;
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
                out[3] = 0;
            }
        } else {
            for (int x = 0; x < kSide; ++x, out += 4) {
                storePixel(out, sampleAt(source, x - rowShift, y - columnShift[x]));
            }
        }
        rowPhase = wrapAdd(rowPhase, rowStep);
    }
    return true;
}

void LayerStack::rgbToHsv(double r, double g, double b, double& hue, double& saturation,
                          double& value) {
    double max = r;
    if (g > max) max = g;
    if (b > max) max = b;
    double min = r;
    if (g < min) min = g;
    if (b < min) min = b;
    value = max;
    saturation = max != 0 ? (max - min) / max : 0;
    if (saturation == 0) {
        hue = -1;
        return;
    }
    const double delta = max - min;
    if (r == max) {
        hue = ((max - b) - (max - g)) / delta;
    } else if (g == max) {
        hue = ((max - r) - (max - b)) / delta + 2;
    } else {
        hue = ((max - g) - (max - r)) / delta + 4;
    }
    hue = wrapDegrees(hue * 60);
}

uint32_t LayerStack::hsvToRgb(double hue, double saturation, double value) {
    hue = wrapDegrees(hue);
    double r, g, b;
    if (saturation == 0) {
        r = g = b = value;
    } else {
        const double h6 = hue * 0.016666666666666666;
        const int i = truncToInt(std::floor(h6));
        const double f = h6 - i;
        const double p = value * (1 - saturation);
        const double q = value * (1 - saturation * f);
        const double t = value * (1 - saturation * (1 - f));
        switch (i) {
            case 1:
                r = q, g = value, b = p;
                break;
            case 2:
                r = p, g = value, b = t;
                break;
            case 3:
                r = p, g = q, b = value;
                break;
            case 4:
                r = t, g = p, b = value;
                break;
            case 5:
                r = value, g = p, b = q;
                break;
            default:
                // 0, and 6 for a hue just below 360 whose sixth rounds up
                // to 6: there f is 0, so this is the same red as hue 0.
                r = value, g = t, b = p;
                break;
        }
    }
    auto component = [](double v) -> uint32_t {
        int c = truncToInt(v);
        if (c > 255) c = 255;
        if (c < 0) c = 0;
        return static_cast<uint32_t>(c);
    };
    return component(r) + component(g) * 256 + component(b) * 65536;
}

bool LayerStack::adjustHsv(int index, double hueShift, double hueScale, double satShift,
                           double satScale, double valShift, double valScale) {
    uint8_t* pixel = layer(index);
    if (!pixel) return false;
    auto adjust = [&](const uint8_t* p) {
        double h, s, v;
        rgbToHsv(p[0], p[1], p[2], h, s, v);
        h = h * hueScale / 256 + hueShift * 1.40625;
        s = s * satScale / 256 + satShift / 256;
        v = v * valScale / 256 + valShift;
        if (v > 255) v = 255;
        if (s > 1) s = 1;
        return hsvToRgb(h, s, v);
    };
    // A pixel's new colour depends on its old one alone, and layers repeat
    // colours a lot: remember recent results in a small direct-mapped
    // cache. Without memory for it, every pixel is computed.
    constexpr int kCacheBits = 16;
    constexpr uint32_t kEmpty = 0xffffffffu;  // no colour has this key
    std::unique_ptr<uint64_t[]> cache(new (std::nothrow) uint64_t[size_t{1} << kCacheBits]);
    if (cache) std::fill_n(cache.get(), size_t{1} << kCacheBits, uint64_t{kEmpty});
    for (int i = 0; i < kPixels; ++i, pixel += 4) {
        if (!cache) {
            storePixel(pixel, adjust(pixel));
            continue;
        }
        const uint32_t key = pixel[0] | pixel[1] << 8 | pixel[2] << 16;
        uint64_t& entry = cache[(key * 2654435761u) >> (32 - kCacheBits)];
        if (static_cast<uint32_t>(entry) != key) {
            entry = key | uint64_t{adjust(pixel)} << 32;
        }
        storePixel(pixel, static_cast<uint32_t>(entry >> 32));
    }
    return true;
}

void LayerStack::cellPoints(int count, int seed, double* xs, double* ys) {
    int32_t s = seed;
    auto next = [&s] {
        s = wrapAdd(wrapMul(s, 83129521), 1385314731);
        return truncToInt((s * 0x1p-31 + 1) * 0.5 * 256) + 0.5;
    };
    for (int k = 0; k < count; ++k) {
        xs[k] = next();
        ys[k] = next();
    }
}

bool LayerStack::cellDistance(int index, int channel, int count, int scale, int seed) {
    if (!validChannel(index, channel)) return false;
    if (count > kMaxCellPoints) return false;
    if (count < 0) count = 0;
    const size_t points = static_cast<size_t>(count);
    std::unique_ptr<double[]> xs(new (std::nothrow) double[points + 1]);
    std::unique_ptr<double[]> ys(new (std::nothrow) double[points + 1]);
    if (!xs || !ys) return false;
    cellPoints(count, seed, xs.get(), ys.get());
    // Which point is which does not matter for a minimum: sorted by x, the
    // points that can be near a column form one run.
    {
        std::unique_ptr<std::pair<double, double>[]> byX(new (std::nothrow)
                                                             std::pair<double, double>[points + 1]);
        if (!byX) return false;
        for (size_t k = 0; k < points; ++k)
            byX[k] = {xs[k], ys[k]};
        std::sort(byX.get(), byX.get() + points);
        for (size_t k = 0; k < points; ++k)
            std::tie(xs[k], ys[k]) = byX[k];
    }
    const double* xBegin = xs.get();
    const double* xEnd = xs.get() + points;
    const double factor = scale * 0.03125;

    uint8_t* out = layer(index) + channel;
    std::array<double, kSide> nearest;
    for (int r = 0; r < kSide; ++r) {
        // Every distance here is a sum of squared half-integers, exact, so
        // the order of the comparisons does not matter. With the points in
        // the outer loop, the columns' minimums do not wait on each other.
        nearest.fill(262144.0);
        for (size_t k = 0; k < points; ++k) {
            const double dy = r - ys[k];
            const double dy2 = dy * dy;
            const double x = xs[k];
            for (int q = 0; q < kSide; ++q) {
                const double dx = q - x;
                const double d = dy2 + dx * dx;
                nearest[q] = d < nearest[q] ? d : nearest[q];
            }
        }
        for (int q = 0; q < kSide; ++q, out += 4) {
            double g = nearest[q];
            const int n = truncToInt(std::sqrt(g));
            const int m = 256 - n;
            const bool right = q > m;
            const bool left = q < n;
            const bool bottom = r > m;
            const bool top = r < n;
            if (right || left || bottom || top) {
                // Near an edge, the copies of the points shifted by a whole
                // tile count too; their squared distances are truncated.
                // Points strictly inside the band are not tried. Since g <
                // (n + 1)^2, a copy farther than n + 1 along either axis
                // cannot come closer, so only the run of points whose
                // shifted x lies within n + 1 of the column is looked at.
                const double reach = n + 1;
                auto tryShift = [&](bool use, double sy, double sx) {
                    if (!use) return;
                    const double* k = std::upper_bound(xBegin, xEnd, q + sx - reach);
                    const double* last = std::lower_bound(k, xEnd, q + sx + reach);
                    for (; k < last; ++k) {
                        const double x = *k;
                        const double y = ys[k - xBegin];
                        if (n < x && x < m && n < y && y < m) continue;
                        const double dy = (r - y) + sy;
                        if (!(std::fabs(dy) < reach)) continue;
                        const double dx = (q - x) + sx;
                        const double d = std::trunc(dy * dy + dx * dx);
                        if (d < g) g = d;
                    }
                };
                tryShift(right, 0, -256);
                tryShift(left, 0, 256);
                tryShift(bottom, -256, 0);
                tryShift(top, 256, 0);
                tryShift(right && bottom, -256, -256);
                tryShift(left && bottom, -256, 256);
                tryShift(right && top, 256, -256);
                tryShift(left && top, 256, 256);
            }
            double value = std::sqrt(g) * factor;
            if (value > 255) value = 255;
            if (value < 0) value = 0;  // a negative scale
            // Round half to even: adding and removing 2^52 leaves no
            // fraction bits, as nearbyint does in the default rounding mode.
            *out = static_cast<uint8_t>((value + 0x1p52) - 0x1p52);
        }
    }
    return true;
}

bool LayerStack::sineRemap(int index, int channel, int a, int b) {
    if (!validChannel(index, channel)) return false;
    // The new byte depends on the old one alone.
    std::array<uint8_t, 256> remap;
    for (int v = 0; v < 256; ++v) {
        const double phase = static_cast<double>(v) * a * 0.00006103515625 + b * 0.0078125;
        remap[v] = byteOf(std::sin(phase * 3.14) * 126 + 128);
    }
    uint8_t* out = layer(index) + channel;
    for (int i = 0; i < kPixels; ++i, out += 4)
        *out = remap[*out];
    return true;
}

}  // namespace tev
