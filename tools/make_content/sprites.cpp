#include "sprites.h"

#include <algorithm>
#include <cmath>

#include "canvas.h"
#include "font_face.h"
#include "proc/layer_stack.h"

namespace tev::content {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSide = kSpriteSide;
// The show keys out pixels whose red, green and blue are all below this.
constexpr int kKeyLimit = 4;

// A keyed sprite: the subject's colours where it covers at least half a
// pixel, exact black elsewhere, and no subject pixel dark enough to be keyed.
std::vector<uint8_t> keyed(const Canvas& colour, const Mask& coverage) {
    std::vector<uint8_t> out = colour.rgba(0x5eed);
    for (int i = 0; i < kSide * kSide; ++i) {
        uint8_t* p = out.data() + size_t(i) * 4;
        if (coverage.v[size_t(i)] < 0.5f) {
            p[0] = p[1] = p[2] = 0;
        } else {
            const int top = std::max({p[0], p[1], p[2]});
            if (top < 2 * kKeyLimit) {
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<uint8_t>(std::max<int>(p[c], 2 * kKeyLimit));
            }
        }
    }
    return out;
}

// Light from the upper left on a height field, as a brightness factor.
float emboss(const Mask& height, int x, int y, float strength) {
    const int x0 = std::max(0, x - 1), x1 = std::min(kSide - 1, x + 1);
    const int y0 = std::max(0, y - 1), y1 = std::min(kSide - 1, y + 1);
    const float gx = height.at(x1, y) - height.at(x0, y);
    const float gy = height.at(x, y1) - height.at(x, y0);
    // The normal (-gx, -gy, 1) against a light at (-1, -1, .): y runs down.
    return 1 + strength * (gx + gy);
}

Sprite drawLeaf() {
    // Along the leaf's axis from the stalk (t = 0) to the tip (t = 1).
    const double ax = 26, ay = 104, bx = 104, by = 22;
    const double length = std::hypot(bx - ax, by - ay);
    const double ux = (bx - ax) / length, uy = (by - ay) / length;
    auto local = [&](double x, double y, double& t, double& across) {
        t = ((x - ax) * ux + (y - ay) * uy) / length;
        across = (-(x - ax) * uy + (y - ay) * ux);
    };
    auto halfWidth = [&](double t) {
        if (t <= 0 || t >= 1) return 0.0;
        const double w = 34 * std::pow(std::sin(kPi * std::pow(t, 0.8)), 0.85);
        return w * (1 + 0.05 * std::sin(t * 46));  // a finely toothed edge
    };
    auto inLeaf = [&](double x, double y) {
        double t, across;
        local(x, y, t, across);
        if (std::fabs(across) < halfWidth(t)) return true;
        // The stalk.
        return t > -0.2 && t <= 0.05 && std::fabs(across + 6 * t * t * 25) < 1.8;
    };

    LayerStack stack;
    stack.sinePlasma(0, 0, 7, 5, 30, 100);
    stack.sinePlasma(0, 1, 13, 11, 0, 40);
    const Canvas mottle = fromLayer(stack.layer(0));
    Mask coverage(kSide, kSide);
    Canvas canvas(kSide, kSide);
    constexpr int kSamples = 4;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            int inside = 0;
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i)
                    inside += inLeaf(x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples);
            coverage.at(x, y) = float(inside) / (kSamples * kSamples);
            double t, across;
            local(x + 0.5, y + 0.5, t, across);
            const double w = std::max(halfWidth(t), 1.0);
            const double side = std::fabs(across) / w;  // 0 on the midrib, 1 at the edge
            // Autumn: green at the stalk, gold in the middle, red towards tip and edges.
            const float turn = float(std::clamp(t * 0.8 + side * 0.45, 0.0, 1.0));
            Rgb c = turn < 0.5f ? mix(hex(0x3f7d24), hex(0xd9b02c), turn * 2)
                                : mix(hex(0xd9b02c), hex(0xc23a1c), (turn - 0.5f) * 2);
            const Rgb m = mottle.sample(x * 2, y * 2);
            c = c * (0.8f + 0.3f * m.r * m.g);
            // Folded along the midrib: one half catches the light.
            c = c * (across < 0 ? 1.08f : 0.84f);
            c = c * (1 - 0.35f * smoothstep(0.75f, 1.0f, float(side)));
            // Veins: the midrib and pairs of side veins swept towards the tip.
            const double midrib = std::fabs(across) - (1.6 - 1.2 * t);
            double vein = 1e9;
            for (int k = 1; k <= 7; ++k) {
                const double start = k / 8.5;
                const double d = (t - start) * length - std::fabs(across) * 0.75;
                vein = std::min(vein, std::fabs(d) - 0.7 * (1 - side));
            }
            const float veinInk = std::max(smoothstep(1.0f, 0.0f, float(midrib)),
                                           0.7f * smoothstep(1.0f, 0.0f, float(vein)) *
                                               (1 - smoothstep(0.8f, 1.0f, float(side))));
            c = mix(c, hex(0xf0dc8c), veinInk * 0.75f);
            if (t <= 0.05) c = hex(0x6b5a2a);  // stalk
            canvas.at(x, y) = c;
        }
    }
    return {"leaf", 3, keyed(canvas, coverage)};
}

Sprite drawBlock() {
    LayerStack stack;
    stack.cellDistance(0, 0, 60, 260, 19);
    stack.sinePlasma(0, 1, 5, 7, 20, 0);
    const Canvas stone = fromLayer(stack.layer(0));
    constexpr int kBevel = 12, kGroove = 30;
    Canvas canvas(kSide, kSide);
    Mask height(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            // Distance to the outer edge and to the engraved inner square.
            const int edge = std::min({x, y, kSide - 1 - x, kSide - 1 - y});
            const int ring = std::abs(edge - kGroove);
            float h = std::min(1.0f, edge / float(kBevel));
            if (ring < 3) h -= 0.35f * (1 - ring / 3.0f);
            const Rgb s = stone.sample(x * 2, y * 2);
            h += 0.06f * s.r;
            height.at(x, y) = h;
        }
    }
    blur(height, 1.0f, false);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const Rgb s = stone.sample(x * 2, y * 2);
            Rgb c = mix(hex(0x2c4a5e), hex(0x7ea6b8), 0.35f + 0.5f * s.r * (0.6f + 0.4f * s.g));
            c = c * emboss(height, x, y, 9.0f);
            canvas.at(x, y) = c;
        }
    }
    // Rivets in the four corners of the face.
    Mask rivets(kSide, kSide), shine(kSide, kSide);
    for (int cy : {kBevel + 9, kSide - kBevel - 10}) {
        for (int cx : {kBevel + 9, kSide - kBevel - 10}) {
            fillEllipse(rivets, cx, cy, 4.5, 4.5);
            fillEllipse(shine, cx - 1.4, cy - 1.4, 1.6, 1.6);
        }
    }
    canvas.paint(rivets, hex(0x23343f));
    canvas.glow(shine, hex(0xd8f0ff), 0.9f);
    return {"block", 3, canvas.rgba(0xb10c)};
}

Sprite drawFlare() {
    Canvas canvas(kSide, kSide);
    Random random(2024);
    double rayLength[12];
    for (double& l : rayLength)
        l = random.uniform(18, 46);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const double dx = x + 0.5 - 64, dy = y + 0.5 - 64;
            const double r = std::hypot(dx, dy);
            Rgb c = hex(0xffffff) * float(std::exp(-r / 3.0));
            c = c + hex(0xffb060) * float(0.65 * std::exp(-r / 13.0));
            // A faint ring, red outside, blue inside.
            const double ring = (r - 44) / 3.5;
            c = c + mix(hex(0x4060ff), hex(0xff5040), float(std::clamp(ring / 2 + 0.5, 0.0, 1.0))) *
                        float(0.28 * std::exp(-ring * ring));
            // Thin rays of uneven length.
            const double angle = std::atan2(dy, dx);
            for (int k = 0; k < 12; ++k) {
                const double a = k * kPi / 6 + 0.13;
                double d = std::remainder(angle - a, 2 * kPi);
                const double across = std::fabs(d) * r;
                c = c + hex(0xffe0b0) * float(0.55 * std::exp(-across * across / 1.2) *
                                              std::exp(-r / rayLength[k]));
            }
            // The wide horizontal streak of a lens.
            c = c + hex(0x7fb2ff) *
                        float(0.7 * std::exp(-std::fabs(dy) * 1.3) * std::exp(-std::fabs(dx) / 40));
            // Nothing reaches the sprite's border.
            c = c * (1 - smoothstep(54, 63, float(std::max(std::fabs(dx), std::fabs(dy)))));
            canvas.at(x, y) = c;
        }
    }
    std::vector<uint8_t> rgba = canvas.rgba(0xf1a2e);
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgba[i + 3] = std::max({rgba[i], rgba[i + 1], rgba[i + 2]});
    return {"flare", 4, std::move(rgba)};
}

// A seamless tile of rounded cobbles set in mortar, around the toolkit's
// own feature points; everything wraps at the tile's edges.
Sprite drawTile() {
    constexpr int kStones = 18;
    double xs[kStones], ys[kStones];
    LayerStack::cellPoints(kStones, 12, xs, ys);
    for (int k = 0; k < kStones; ++k)
        xs[k] /= 2, ys[k] /= 2;  // the points span 256; the tile is 128
    LayerStack stack;
    stack.cellDistance(0, 0, 300, 600, 5);  // fine pits
    stack.sinePlasma(0, 1, 4, 6, 0, 30);
    stack.sinePlasma(0, 2, 10, 14, 60, 0);
    const Canvas layer = fromLayer(stack.layer(0));
    Mask height(kSide, kSide);
    std::vector<int> site(size_t(kSide) * kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const CellHit hit = nearestCell(xs, ys, kStones, kSide, x + 0.5, y + 0.5);
            const float rounded = smoothstep(1.0f, 7.0f, float(hit.edge));
            const Rgb m = layer.at(x * 2, y * 2);
            height.at(x, y) = std::sqrt(rounded) * (0.92f + 0.08f * m.r);
            site[size_t(y) * kSide + x] = hit.site;
        }
    }
    blur(height, 0.7f, true);
    Canvas canvas(kSide, kSide);
    Random random(9);
    float tone[kStones];
    for (float& t : tone)
        t = float(random.uniform(0, 1));
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const float h = height.at(x, y);
            const Rgb m = layer.at(x * 2, y * 2);
            const int xl = (x + kSide - 1) % kSide, xr = (x + 1) % kSide;
            const int yu = (y + kSide - 1) % kSide, yd = (y + 1) % kSide;
            const float gx = height.at(xr, y) - height.at(xl, y);
            const float gy = height.at(x, yd) - height.at(x, yu);
            const float light = std::clamp(1 + 2.2f * (gx + gy), 0.3f, 1.7f);
            const float t = tone[site[size_t(y) * kSide + x]];
            Rgb stone = mix(hex(0x5e4c40), hex(0xb39a80), 0.3f + 0.4f * t + 0.3f * m.g * m.b);
            stone = stone * (0.85f + 0.15f * m.r);
            canvas.at(x, y) = mix(hex(0x27211c), stone * light, smoothstep(0.05f, 0.35f, h));
        }
    }
    return {"tex", 3, canvas.rgba(0x7e7)};
}

bool drawLetterN(Sprite& sprite, std::string* error) {
    font::FontFace face(font::dejaVuPath("DejaVuSans-Bold.ttf"));
    font::Glyph glyph;
    if (!face.ok() || !face.render(U'n', 168, 168, false, glyph) || glyph.width > kSide - 8 ||
        glyph.rows > kSide - 8) {
        if (error) *error = face.ok() ? "cannot render the letter n" : face.error();
        return false;
    }
    Mask coverage(kSide, kSide);
    const int left = (kSide - glyph.width) / 2, top = (kSide - glyph.rows) / 2;
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x)
            coverage.at(left + x, top + y) = glyph.coverage[size_t(y) * glyph.width + x] / 255.0f;
    Mask height = coverage;
    blur(height, 3.5f, false);
    Canvas canvas(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const float t = float(y - top) / float(glyph.rows);
            Rgb c = mix(hex(0xffe070), hex(0xe8401c), smoothstep(0.0f, 1.0f, t));
            c = c * std::clamp(emboss(height, x, y, 3.0f), 0.35f, 1.6f);
            canvas.at(x, y) = c;
        }
    }
    sprite = {"n", 3, keyed(canvas, coverage)};
    return true;
}

}  // namespace

std::vector<Sprite> drawSprites(std::string* error) {
    std::vector<Sprite> sprites;
    sprites.push_back(drawLeaf());
    sprites.push_back(drawBlock());
    sprites.push_back(drawFlare());
    sprites.push_back(drawTile());
    Sprite n;
    if (!drawLetterN(n, error)) return {};
    sprites.push_back(std::move(n));
    return sprites;
}

std::vector<uint8_t> encodeTga(int width, int height, int channels, const uint8_t* rgba) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;  // uncompressed true colour
    out[12] = uint8_t(width), out[13] = uint8_t(width >> 8);
    out[14] = uint8_t(height), out[15] = uint8_t(height >> 8);
    out[16] = uint8_t(channels * 8);
    out[17] = channels == 4 ? 8 : 0;  // alpha bits; origin bit clear: bottom-up
    out.reserve(out.size() + size_t(width) * height * channels);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = rgba + (size_t(y) * width + x) * 4;
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (channels == 4) out.push_back(p[3]);
        }
    }
    return out;
}

}  // namespace tev::content
