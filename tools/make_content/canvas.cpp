#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "glyph_sheet.h"

namespace tev::content {
namespace {

float clamp01(double v) {
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

// Coverage of a pixel from the signed distance (pixels, negative inside)
// of its centre to a shape's edge.
float edgeCoverage(double distance) {
    return clamp01(0.5 - distance);
}

// Calls f(x, y) for every pixel of the box, clipped to the mask.
template <class F>
void forBox(Mask& mask, double x0, double y0, double x1, double y1, F f) {
    const int ax = std::max(0, int(std::floor(x0)));
    const int ay = std::max(0, int(std::floor(y0)));
    const int bx = std::min(mask.width - 1, int(std::ceil(x1)));
    const int by = std::min(mask.height - 1, int(std::ceil(y1)));
    for (int y = ay; y <= by; ++y)
        for (int x = ax; x <= bx; ++x)
            f(x, y);
}

// Approximate signed distance to an ellipse's edge, in pixels.
double ellipseDistance(double px, double py, double rx, double ry) {
    const double k = std::hypot(px / rx, py / ry);
    if (k == 0) return -std::min(rx, ry);
    // The gradient's length turns the implicit value into pixels.
    const double gx = px / (rx * rx), gy = py / (ry * ry);
    const double g = std::hypot(gx, gy) / k;
    return (k - 1) / g;
}

void boxPass(std::vector<float>& line, std::vector<float>& scratch, int radius, bool wrap) {
    const int n = int(line.size());
    auto get = [&](int i) {
        if (wrap) return line[size_t(((i % n) + n) % n)];
        return line[size_t(std::clamp(i, 0, n - 1))];
    };
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += get(i);
    const double scale = 1.0 / (2 * radius + 1);
    for (int i = 0; i < n; ++i) {
        scratch[size_t(i)] = float(sum * scale);
        sum += get(i + radius + 1) - get(i - radius);
    }
    line.swap(scratch);
}

}  // namespace

Rgb hex(uint32_t rgb) {
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f};
}

Rgb fromHsv(float hue, float saturation, float value) {
    hue -= std::floor(hue);
    const float h = hue * 6;
    const int i = std::min(5, int(h));
    const float f = h - i;
    const float p = value * (1 - saturation);
    const float q = value * (1 - saturation * f);
    const float t = value * (1 - saturation * (1 - f));
    switch (i) {
        case 0:
            return {value, t, p};
        case 1:
            return {q, value, p};
        case 2:
            return {p, value, t};
        case 3:
            return {p, q, value};
        case 4:
            return {t, p, value};
        default:
            return {value, p, q};
    }
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

Mask::Mask(int w, int h, float fill) : width(w), height(h), v(size_t(w) * h, fill) {}

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill) {}

Rgb Canvas::sample(double x, double y) const {
    const double fx = std::floor(x), fy = std::floor(y);
    const double tx = x - fx, ty = y - fy;
    auto wrap = [](long v, int n) { return int(((v % n) + n) % n); };
    const int x0 = wrap(long(fx), width_), x1 = wrap(long(fx) + 1, width_);
    const int y0 = wrap(long(fy), height_), y1 = wrap(long(fy) + 1, height_);
    const Rgb top = mix(at(x0, y0), at(x1, y0), float(tx));
    const Rgb bottom = mix(at(x0, y1), at(x1, y1), float(tx));
    return mix(top, bottom, float(ty));
}

void Canvas::paint(const Mask& mask, Rgb colour, float opacity) {
    for (size_t i = 0; i < pixels_.size(); ++i) {
        const float a = mask.v[i] * opacity;
        if (a > 0) pixels_[i] = mix(pixels_[i], colour, std::min(a, 1.0f));
    }
}

void Canvas::glow(const Mask& mask, Rgb colour, float amount) {
    for (size_t i = 0; i < pixels_.size(); ++i) {
        if (mask.v[i] > 0) pixels_[i] = pixels_[i] + colour * (mask.v[i] * amount);
    }
}

std::vector<uint8_t> Canvas::rgba(uint32_t ditherSeed) const {
    std::vector<uint8_t> out(pixels_.size() * 4);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        // A hashed offset of up to half a step either way.
        uint32_t h = uint32_t(i) * 2654435761u ^ ditherSeed;
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        const float dither = (h & 1023) / 1023.0f - 0.5f;
        const float channels[3] = {pixels_[i].r, pixels_[i].g, pixels_[i].b};
        for (int c = 0; c < 3; ++c) {
            const float v = std::clamp(channels[c] * 255 + dither, 0.0f, 255.0f);
            out[i * 4 + size_t(c)] = static_cast<uint8_t>(std::lround(v));
        }
        out[i * 4 + 3] = 255;
    }
    return out;
}

Canvas fromLayer(const uint8_t* layer) {
    Canvas canvas(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = layer + (size_t(y) * 256 + x) * 4;
            canvas.at(x, y) = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
        }
    }
    return canvas;
}

void blur(Mask& mask, float radius, bool wrap) {
    // Three box passes of width w have variance 3 (w^2 - 1) / 12.
    const int box = std::max(1, int(std::lround(std::sqrt(4.0 * radius * radius + 1) / 2 - 0.5)));
    std::vector<float> line, scratch;
    line.resize(size_t(mask.width));
    scratch.resize(line.size());
    for (int y = 0; y < mask.height; ++y) {
        std::copy_n(mask.v.begin() + std::ptrdiff_t(y) * mask.width, mask.width, line.begin());
        for (int pass = 0; pass < 3; ++pass)
            boxPass(line, scratch, box, wrap);
        std::copy(line.begin(), line.end(), mask.v.begin() + std::ptrdiff_t(y) * mask.width);
    }
    line.resize(size_t(mask.height));
    scratch.resize(line.size());
    for (int x = 0; x < mask.width; ++x) {
        for (int y = 0; y < mask.height; ++y)
            line[size_t(y)] = mask.at(x, y);
        for (int pass = 0; pass < 3; ++pass)
            boxPass(line, scratch, box, wrap);
        for (int y = 0; y < mask.height; ++y)
            mask.at(x, y) = line[size_t(y)];
    }
}

void fillEllipse(Mask& mask, double cx, double cy, double rx, double ry) {
    forBox(mask, cx - rx - 1, cy - ry - 1, cx + rx + 1, cy + ry + 1, [&](int x, int y) {
        const float c = edgeCoverage(ellipseDistance(x + 0.5 - cx, y + 0.5 - cy, rx, ry));
        mask.at(x, y) = std::max(mask.at(x, y), c);
    });
}

void strokeEllipse(Mask& mask, double cx, double cy, double rx, double ry, double width) {
    const double half = width / 2;
    forBox(mask, cx - rx - half - 1, cy - ry - half - 1, cx + rx + half + 1, cy + ry + half + 1,
           [&](int x, int y) {
               const double d = ellipseDistance(x + 0.5 - cx, y + 0.5 - cy, rx, ry);
               const float c = edgeCoverage(std::fabs(d) - half);
               mask.at(x, y) = std::max(mask.at(x, y), c);
           });
}

void fillCapsule(Mask& mask, double x0, double y0, double x1, double y1, double radius) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double length2 = dx * dx + dy * dy;
    forBox(mask, std::min(x0, x1) - radius - 1, std::min(y0, y1) - radius - 1,
           std::max(x0, x1) + radius + 1, std::max(y0, y1) + radius + 1, [&](int x, int y) {
               const double px = x + 0.5 - x0, py = y + 0.5 - y0;
               const double t =
                   length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
               const double d = std::hypot(px - t * dx, py - t * dy) - radius;
               mask.at(x, y) = std::max(mask.at(x, y), edgeCoverage(d));
           });
}

CellHit nearestCell(const double* xs, const double* ys, int count, double period, double x,
                    double y) {
    CellHit hit;
    double best = 1e300;
    for (int k = 0; k < count; ++k) {
        for (int oy = -1; oy <= 1; ++oy) {
            for (int ox = -1; ox <= 1; ++ox) {
                const double sx = xs[k] + ox * period, sy = ys[k] + oy * period;
                const double d = (x - sx) * (x - sx) + (y - sy) * (y - sy);
                if (d < best) best = d, hit.site = k, hit.siteX = sx, hit.siteY = sy;
            }
        }
    }
    // The edge is the nearest bisector between that site and any other copy.
    hit.edge = 1e300;
    for (int k = 0; k < count; ++k) {
        for (int oy = -1; oy <= 1; ++oy) {
            for (int ox = -1; ox <= 1; ++ox) {
                const double sx = xs[k] + ox * period, sy = ys[k] + oy * period;
                const double ex = sx - hit.siteX, ey = sy - hit.siteY;
                const double length = std::hypot(ex, ey);
                if (length < 1e-9) continue;
                const double mx = (hit.siteX + sx) / 2, my = (hit.siteY + sy) / 2;
                hit.edge = std::min(hit.edge, -((x - mx) * ex + (y - my) * ey) / length);
            }
        }
    }
    return hit;
}

uint64_t Random::next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double Random::uniform(double low, double high) {
    return low + (high - low) * double(next() >> 11) * 0x1p-53;
}

SheetFont::SheetFont(std::vector<uint8_t> bottomUpSheet) : sheet_(std::move(bottomUpSheet)) {
    for (int code = 0; code < 256; ++code) {
        int left = font::kCellSide, right = -1;
        for (int y = 0; y < font::kCellSide; ++y) {
            for (int x = 0; x < font::kCellSide; ++x) {
                if (font::cellPixel(sheet_.data(), code, x, y) > 32) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        inkLeft_[code] = right < 0 ? 0 : left;
        inkRight_[code] = right < 0 ? -1 : right;
    }
}

double SheetFont::advance(int code) const {
    if (inkRight_[code] < inkLeft_[code]) return 9;  // space and other empty cells
    return inkRight_[code] - inkLeft_[code] + 1 + 3;
}

double SheetFont::width(const std::string& text, double sx, double tracking) const {
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += advance(static_cast<unsigned char>(text[i])) * sx;
        if (i + 1 < text.size()) w += tracking;
    }
    return w;
}

float SheetFont::coverage(int code, double u, double v) const {
    // Bilinear inside the cell, nothing outside it.
    const double fu = u - 0.5, fv = v - 0.5;
    const int x0 = int(std::floor(fu)), y0 = int(std::floor(fv));
    const double tx = fu - x0, ty = fv - y0;
    auto pixel = [&](int x, int y) -> double {
        if (x < 0 || y < 0 || x >= font::kCellSide || y >= font::kCellSide) return 0;
        return font::cellPixel(sheet_.data(), code, x, y) / 255.0;
    };
    const double top = pixel(x0, y0) * (1 - tx) + pixel(x0 + 1, y0) * tx;
    const double bottom = pixel(x0, y0 + 1) * (1 - tx) + pixel(x0 + 1, y0 + 1) * tx;
    return static_cast<float>(top * (1 - ty) + bottom * ty);
}

void SheetFont::draw(Mask& mask, const std::string& text, double x, double baseline, double sx,
                     double sy, double tracking, bool centred) const {
    double pen = centred ? x - width(text, sx, tracking) / 2 : x;
    constexpr int kSamples = 4;  // per axis, for clean minification
    for (unsigned char c : text) {
        const int code = c;
        // Cell column inkLeft lands on the pen.
        const double originX = pen - inkLeft_[code] * sx;
        const double originY = baseline - font::kBaselineRow * sy;
        forBox(mask, originX, originY, originX + font::kCellSide * sx,
               originY + font::kCellSide * sy, [&](int px, int py) {
                   double sum = 0;
                   for (int j = 0; j < kSamples; ++j) {
                       for (int i = 0; i < kSamples; ++i) {
                           const double u = (px + (i + 0.5) / kSamples - originX) / sx;
                           const double v = (py + (j + 0.5) / kSamples - originY) / sy;
                           sum += coverage(code, u, v);
                       }
                   }
                   const float value = float(sum / (kSamples * kSamples));
                   mask.at(px, py) = std::max(mask.at(px, py), value);
               });
        pen += advance(code) * sx + tracking;
    }
}

}  // namespace tev::content
