#pragma once
// A small painting kit for the content generator: float RGB canvases,
// one-channel masks filled with anti-aliased shapes or text, blurs, and the
// way back to bytes. Row 0 is the picture's top row.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::content {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb mix(Rgb a, Rgb b, float t) {
    return a + (b + a * -1.0f) * t;
}
// 0xRRGGBB
Rgb hex(uint32_t rgb);
// Hue in turns, saturation and value 0..1.
Rgb fromHsv(float hue, float saturation, float value);
float smoothstep(float edge0, float edge1, float x);

// A one-channel image: coverage, strength, height.
struct Mask {
    Mask(int width, int height, float fill = 0);
    float& at(int x, int y) { return v[size_t(y) * width + x]; }
    float at(int x, int y) const { return v[size_t(y) * width + x]; }
    int width;
    int height;
    std::vector<float> v;
};

class Canvas {
  public:
    Canvas(int width, int height, Rgb fill = {});
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
    const Rgb& at(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
    // Bilinear, wrapping at the edges.
    Rgb sample(double x, double y) const;

    // colour over the canvas with the mask as coverage times `opacity`.
    void paint(const Mask& mask, Rgb colour, float opacity = 1);
    // colour added, scaled by the mask.
    void glow(const Mask& mask, Rgb colour, float amount = 1);

    // RGBA bytes, alpha 255, with a faint fixed dither so gradients don't band.
    std::vector<uint8_t> rgba(uint32_t ditherSeed) const;

  private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// A 256 x 256 layer of the procedural toolkit (RGBA bytes) as a canvas.
Canvas fromLayer(const uint8_t* layer);

// Three box passes, close to a Gaussian of that radius; wrapping or clamped.
void blur(Mask& mask, float radius, bool wrap);

// Anti-aliased shapes, added into the mask as max(old, coverage). Sizes are
// in pixels.
void fillEllipse(Mask& mask, double cx, double cy, double rx, double ry);
void strokeEllipse(Mask& mask, double cx, double cy, double rx, double ry, double width);
void fillCapsule(Mask& mask, double x0, double y0, double x1, double y1, double radius);

// The cell of the nearest site (sites repeat with `period` in x and y) and
// the distance from (x, y) to that cell's edge.
struct CellHit {
    int site = 0;
    double siteX = 0, siteY = 0;  // the nearest copy of the site
    double edge = 0;
};
CellHit nearestCell(const double* xs, const double* ys, int count, double period, double x,
                    double y);

// A deterministic random source (splitmix64).
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next();
    double uniform(double low, double high);

  private:
    uint64_t state_;
};

// Text from the show's glyph sheet (512 x 512, bottom-up), set
// proportionally by each glyph's ink.
class SheetFont {
  public:
    explicit SheetFont(std::vector<uint8_t> bottomUpSheet);
    // Width of `text` at scale (sx, sy), in pixels, with `tracking` extra
    // pixels between letters.
    double width(const std::string& text, double sx, double tracking) const;
    // Draws with the baseline at y, starting at x (or centred on x).
    void draw(Mask& mask, const std::string& text, double x, double baseline, double sx, double sy,
              double tracking, bool centred) const;
    // Coverage of glyph `code` at cell position (u, v), v down from the cell's top.
    float coverage(int code, double u, double v) const;

  private:
    double advance(int code) const;
    std::vector<uint8_t> sheet_;
    int inkLeft_[256] = {};
    int inkRight_[256] = {};
};

}  // namespace tev::content
