#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "proc/layer_stack.h"
#include "title_art.h"

namespace tev::content {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Texels per screen pixel across: the show stretches these square pictures
// over a 4:3 view, so a circle is drawn as an ellipse 3/4 as wide.
constexpr double kSquash = 0.75;
constexpr int kSide = kPictureSide;

struct Stop {
    float at;
    uint32_t colour;
};

Rgb palette(std::initializer_list<Stop> stops, float t) {
    const Stop* s = stops.begin();
    if (t <= s[0].at) return hex(s[0].colour);
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= s[i].at) {
            return mix(hex(s[i - 1].colour), hex(s[i].colour),
                       (t - s[i - 1].at) / (s[i].at - s[i - 1].at));
        }
    }
    return hex(s[stops.size() - 1].colour);
}

// Averages colourAt over factor x factor points in every pixel; the
// coordinates are texels, continuous.
template <class F>
Canvas render(int factor, F colourAt) {
    Canvas canvas(kSide, kSide);
    const float scale = 1.0f / float(factor * factor);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            Rgb sum;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    sum = sum + colourAt(x + (i + 0.5) / factor, y + (j + 0.5) / factor);
            canvas.at(x, y) = sum * scale;
        }
    }
    return canvas;
}

// Soft round stars, a few with a cross of rays; `below` keeps them out of
// the bottom rows.
Canvas starField(uint64_t seed, int count, float brightness, int below = kSide) {
    Canvas stars(kSide, kSide);
    Random random(seed);
    for (int n = 0; n < count; ++n) {
        const double sx = random.uniform(0, kSide), sy = random.uniform(0, below);
        const double u = random.uniform(0, 1);
        const float b = float(std::pow(u, 3.0)) * brightness;
        const Rgb tint = mix(hex(0xaac8ff), hex(0xffe6c0), float(random.uniform(0, 1)));
        const double sigma = 0.45 + 0.5 * u;
        const bool rays = u > 0.93;
        const int reach = rays ? 9 : 3;
        for (int y = int(sy) - reach; y <= int(sy) + reach; ++y) {
            for (int x = int(sx) - reach; x <= int(sx) + reach; ++x) {
                if (x < 0 || y < 0 || x >= kSide || y >= kSide) continue;
                const double dx = (x + 0.5 - sx) / kSquash, dy = y + 0.5 - sy;
                float v = float(std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma)));
                if (rays) {
                    v += 0.5f * float(std::exp(-std::fabs(dx) / 2.5) * std::exp(-dy * dy * 4));
                    v += 0.5f * float(std::exp(-std::fabs(dy) / 2.5) * std::exp(-dx * dx * 4));
                }
                stars.at(x, y) = stars.at(x, y) + tint * (v * b);
            }
        }
    }
    return stars;
}

// Unit vector towards the light: upper left, in front.
struct Vec3 {
    double x, y, z;
};
Vec3 normalise(Vec3 v) {
    const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}
const Vec3 kLight = normalise({-0.55, -0.5, 0.67});

// PIC0: a banded, ringed giant and a small cratered moon against a nebula.
Canvas drawPlanet() {
    LayerStack stack;
    stack.sinePlasma(0, 0, 3, 2, 10, 40);
    stack.sinePlasma(0, 1, 2, 5, 90, 7);
    stack.sinePlasma(0, 2, 5, 3, 33, 120);
    stack.warpCopy(0, 3, 0, 0.07, 2, 64, 0.06, 1);
    // Cloud bands: fast along the rows, sharpened and stirred.
    stack.sinePlasma(2, 0, 1, 9, 0, 30);
    stack.sinePlasma(2, 1, 3, 21, 40, 0);
    stack.sineRemap(2, 0, 700, 20);
    stack.warpCopy(2, 5, 0, 0.02, 3, 0, 0.004, 3);
    stack.cellDistance(4, 0, 36, 110, 7);
    const Canvas nebula = fromLayer(stack.layer(1));
    const Canvas bands = fromLayer(stack.layer(3));
    const Canvas craters = fromLayer(stack.layer(4));
    const Canvas stars = starField(11, 260, 1.3f);

    // Screen-space geometry (texel y, x divided by kSquash).
    const double px = 168 / kSquash, py = 170, radius = 70;
    const double tilt = -0.36;  // ring and band tilt, radians
    const double ringFlatness = 0.27;
    const double mx = 58 / kSquash, my = 62, moonRadius = 15;

    auto ring = [&](double dx, double dy, bool& front) -> float {
        const double a = dx * std::cos(tilt) + dy * std::sin(tilt);
        const double b = -dx * std::sin(tilt) + dy * std::cos(tilt);
        front = b > 0;
        const double rho = std::hypot(a, b / ringFlatness) / radius;
        if (rho < 1.3 || rho > 2.25) return 0;
        float density =
            smoothstep(1.3f, 1.4f, float(rho)) * (1 - smoothstep(2.1f, 2.25f, float(rho)));
        const Rgb fine = bands.sample(3, rho * 90);
        density *= 0.45f + 0.55f * fine.r;
        if (rho > 1.76 && rho < 1.84) density *= 0.12f;  // the wide gap
        return density * 0.9f;
    };
    const Rgb ringColour = hex(0xe2c9a0);

    return render(3, [&](double x, double y) {
        const double sx = x / kSquash;
        Rgb c = mix(hex(0x04050e), hex(0x170b27), float(y / kSide));
        const Rgb n = nebula.sample(x, y);
        const float density = smoothstep(0.4f, 0.95f, n.r) * (0.45f + 0.55f * n.g);
        c = c + mix(hex(0x2b0f52), hex(0xb8407c), smoothstep(0.3f, 1.0f, n.b)) * (density * 0.8f);
        c = c + hex(0x1b8fa0) * (smoothstep(0.7f, 1.0f, n.g) * density * 0.35f);
        // Light from the unseen sun in the upper left.
        c = c + hex(0xffd9a0) * float(0.22 * std::exp(-std::hypot(sx + 20, y + 20) / 90));

        const double dx = sx - px, dy = y - py;
        bool front = false;
        const float ringAlpha = ring(dx, dy, front);
        const double rr = (dx * dx + dy * dy) / (radius * radius);
        const double mdx = sx - mx, mdy = y - my;
        const double mr = (mdx * mdx + mdy * mdy) / (moonRadius * moonRadius);

        if (rr >= 1 && mr >= 1) c = c + stars.sample(x - 0.5, y - 0.5);
        if (ringAlpha > 0 && !front) c = mix(c, ringColour * 0.8f, ringAlpha);
        if (rr < 1) {
            const double nx = dx / radius, ny = dy / radius, nz = std::sqrt(1 - rr);
            const double bx = nx * std::cos(tilt) + ny * std::sin(tilt);
            const double by = -nx * std::sin(tilt) + ny * std::cos(tilt);
            const double latitude = std::asin(std::clamp(by, -1.0, 1.0));
            const double longitude = std::atan2(bx, nz);
            const Rgb b = bands.sample(longitude * 30 + 60, (latitude / kPi + 0.5) * 255);
            const Rgb surface = palette({{0.0f, 0x5a2e1c},
                                         {0.35f, 0xa0583a},
                                         {0.6f, 0xd9a877},
                                         {0.8f, 0xf2dfc0},
                                         {1.0f, 0xc98a5a}},
                                        0.65f * b.r + 0.35f * b.g);
            const double diffuse = std::max(0.0, nx * kLight.x + ny * kLight.y + nz * kLight.z);
            const float shade = float((0.03 + 1.1 * diffuse) * (0.6 + 0.4 * nz));
            Rgb p = surface * shade;
            p = p + hex(0x5fb0ff) * float(std::pow(1 - nz, 3) * (0.25 + 0.75 * diffuse) * 0.9);
            c = p;
        }
        if (mr < 1) {
            const double nx = mdx / moonRadius, ny = mdy / moonRadius, nz = std::sqrt(1 - mr);
            const float v = craters.sample(64 + nx * 50, 64 + ny * 50).r;
            const double diffuse = std::max(0.0, nx * kLight.x + ny * kLight.y + nz * kLight.z);
            c = hex(0x9a9cae) * float((0.45 + 0.6 * std::sqrt(v)) * (0.02 + diffuse));
        }
        if (ringAlpha > 0 && front) c = mix(c, ringColour, ringAlpha);
        return c;
    });
}

// PIC1..PIC14: frame k of a kaleidoscope that spins up and settles.
Canvas drawKaleidoscope(int frame) {
    const double p = (frame - 1) / 13.0;
    const double e = 1 - std::pow(1 - p, 3);  // eases out: still by the last frame
    LayerStack stack;
    stack.sinePlasma(0, 0, 2, 3, 0, 60);
    stack.sinePlasma(0, 1, 3, 2, 100, 10);
    stack.sinePlasma(0, 2, 4, 5, 50, 200);
    stack.sineRemap(0, 1, 500, 0);
    stack.warpCopy(0, 2, 0, 0.06, 3, 40, 0.05, 1);
    // The colours turn a little further every frame.
    stack.adjustHsv(1, frame * 14, 256, 40, 300, 0, 256);
    const Canvas tinted = fromLayer(stack.layer(1));

    const double turn = e * 0.9 * kPi;
    const double sector = 2 * kPi / 8;
    const double zoom = 1.3 - 0.5 * e;
    const Rgb core = fromHsv(float(0.12 + p * 0.1), 0.35f, 1.0f);
    Canvas canvas = render(2, [&](double x, double y) {
        const double dx = (x - 128) / kSquash, dy = y - 128;
        const double r = std::hypot(dx, dy);
        double m = std::fmod(std::atan2(dy, dx) - turn + 8 * kPi, sector);
        if (m > sector / 2) m = sector - m;  // mirrored wedges
        Rgb c = tinted.sample(std::cos(m) * r * zoom + 40 * p, std::sin(m) * r * zoom + 70 * p);
        c = c * (0.85f + 0.3f * float(std::cos(r * 0.11 - p * 6)));
        c = c * (1 - 0.85f * smoothstep(60, 180, float(r)));
        c = c + core * float(0.9 * std::exp(-r / (16 + 12 * e)));
        return c;
    });

    // Ripples running outwards, an eight-pointed star turning against the pattern.
    Mask ripples(kSide, kSide);
    for (int i = 0; i < 3; ++i) {
        const double r = 18 + std::fmod(i * 42 + frame * 13.0, 126);
        Mask one(kSide, kSide);
        strokeEllipse(one, 128, 128, r * kSquash, r, 1.6);
        const float fade = 1 - float(r) / 150;
        for (size_t j = 0; j < one.v.size(); ++j)
            ripples.v[j] = std::max(ripples.v[j], one.v[j] * fade);
    }
    Mask ripplesGlow = ripples;
    blur(ripplesGlow, 3, false);
    const Rgb rippleColour = fromHsv(float(0.55 + frame * 0.055), 0.45f, 1.0f);
    canvas.glow(ripplesGlow, rippleColour, 1.2f);
    canvas.glow(ripples, rippleColour, 0.6f);

    const double outer = 32 + 62 * e, inner = outer * 0.42;
    const double spin = -e * kPi / 4 - 0.2;
    struct Point {
        double x, y;
    };
    std::vector<Point> star;
    for (int i = 0; i < 16; ++i) {
        const double a = spin + i * kPi / 8;
        const double r = (i % 2) ? inner : outer;
        star.push_back({128 + std::cos(a) * r * kSquash, 128 + std::sin(a) * r});
    }
    Mask outline(kSide, kSide);
    for (size_t i = 0; i < star.size(); ++i) {
        const Point& a = star[i];
        const Point& b = star[(i + 1) % star.size()];
        fillCapsule(outline, a.x, a.y, b.x, b.y, 1.15);
    }
    Mask outlineGlow = outline;
    blur(outlineGlow, 4, false);
    canvas.glow(outlineGlow, hex(0xff9a30), 1.6f);
    canvas.paint(outline, hex(0xfff6dc), 0.95f);
    return canvas;
}

// PIC15: night sky with an aurora over dark hills, the title and a farewell.
Canvas drawClosing(const SheetFont& font, std::string* error, bool& ok) {
    LayerStack stack;
    stack.sinePlasma(0, 0, 3, 1, 20, 0);
    stack.sinePlasma(0, 1, 11, 1, 0, 90);
    stack.warpCopy(0, 2, 0, 0.05, 4, 30, 0.08, 1);
    const Canvas aurora = fromLayer(stack.layer(1));
    const Canvas stars = starField(1515, 150, 1.0f, 200);

    auto ridge = [](double x) {
        return 212 + 9 * std::sin(x * 0.045 + 0.5) + 5 * std::sin(x * 0.13 + 2) +
               2 * std::sin(x * 0.41);
    };
    Canvas canvas = render(2, [&](double x, double y) {
        Rgb c = palette({{0.0f, 0x02030a}, {0.55f, 0x0b1534}, {0.8f, 0x1d1642}, {1.0f, 0x2b1232}},
                        float(y / kSide));
        c = c + stars.sample(x - 0.5, y - 0.5);
        const double middle = 112 + 16 * std::sin(x * 0.03 + 1) + 7 * std::sin(x * 0.085);
        // Curtains: a sharp lower hem, fading slowly upwards, streaked.
        const double reach = y < middle ? 48 : 10;
        const double band = std::exp(-std::pow((y - middle) / reach, 2));
        const Rgb a = aurora.sample(x, y * 0.5);
        const float curtain = smoothstep(0.25f, 0.95f, a.r) * (0.3f + 0.7f * a.g * a.g);
        const Rgb tone = mix(hex(0x9a4cff), hex(0x20f0a0),
                             smoothstep(float(middle - 45), float(middle + 4), float(y)));
        c = c + tone * float(band * curtain * 0.85);
        const double h = ridge(x);
        if (y > h) {
            c = hex(0x06050c) + hex(0x20f0a0) * float(0.18 * std::exp(-(y - h) / 1.5));
        }
        return c;
    });

    // The title: drawn at three times the resolution on a 4:3 screen area,
    // then fitted to its texels.
    constexpr int kFine = 3, kTitleRows = 190;
    const int fineWidth = kSide * 4 / 3 * kFine, fineHeight = kTitleRows * kFine;
    logo::TitleArt art;
    if (!logo::drawTitleArt(fineWidth, fineHeight, 0.82 * kFine, art, error)) {
        ok = false;
        return canvas;
    }
    auto fit = [&](const std::vector<float>& layer) {
        return logo::resampleArea(layer, fineWidth, fineHeight, kSide, kTitleRows);
    };
    std::vector<float> body = fit(art.body), outline = fit(art.outline), glow = fit(art.glow);
    // The face's shade, weighted by coverage so edges don't darken.
    std::vector<float> weighted(art.body.size());
    for (size_t i = 0; i < weighted.size(); ++i)
        weighted[i] = art.shade[i] * art.body[i];
    const std::vector<float> shade = fit(weighted);
    for (int y = 0; y < kTitleRows; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const size_t i = size_t(y) * kSide + x;
            Rgb& c = canvas.at(x, y);
            c = c + hex(0x4a6cff) * (glow[i] * 1.1f);
            c = mix(c, hex(0x8ff0ff), outline[i]);
            const float s = body[i] > 0 ? shade[i] / body[i] : 0;
            const Rgb face = palette(
                {{0.0f, 0x2a1a30}, {0.45f, 0xa8683a}, {0.8f, 0xffe2b0}, {1.0f, 0xfffaf0}}, s);
            c = mix(c, face, body[i]);
        }
    }

    // The farewell, in the show's own letters.
    auto line = [&](const std::string& text, double baseline, double size, double tracking,
                    Rgb colour, Rgb glowColour) {
        Mask mask(kSide, kSide);
        font.draw(mask, text, 128, baseline, size * kSquash, size, tracking, true);
        Mask halo = mask;
        blur(halo, 2.5f, false);
        canvas.glow(halo, glowColour, 1.4f);
        canvas.paint(mask, colour);
    };
    line("thank you for watching", 184, 0.66, 0.5, hex(0xf2f7ff), hex(0x2fa8ff));
    line("SEE YOU NEXT TIME", 202, 0.42, 2.0, hex(0xa6bce0), hex(0x3a2c80));
    ok = true;
    return canvas;
}

}  // namespace

std::vector<uint8_t> drawPicture(int index, const SheetFont& font, std::string* error) {
    const uint32_t seed = 0x9e3779b9u * uint32_t(index + 1);
    if (index == 0) return drawPlanet().rgba(seed);
    if (index >= 1 && index <= 14) return drawKaleidoscope(index).rgba(seed);
    if (index == 15) {
        bool ok = false;
        const Canvas canvas = drawClosing(font, error, ok);
        return ok ? canvas.rgba(seed) : std::vector<uint8_t>{};
    }
    if (error) *error = "no picture " + std::to_string(index);
    return {};
}

std::vector<uint8_t> drawDestruct() {
    LayerStack stack;
    stack.sinePlasma(0, 0, 2, 3, 0, 60);
    stack.sinePlasma(0, 1, 3, 1, 100, 10);
    stack.sinePlasma(0, 2, 1, 4, 50, 200);
    // Agate-like layers in red; green and blue stay smooth.
    stack.sineRemap(0, 0, 800, 0);
    stack.warpCopy(0, 2, 0, 0.08, 3, 40, 0.06, 1);
    stack.cellDistance(2, 0, 90, 200, 3);
    const Canvas field = fromLayer(stack.layer(1));
    const Canvas grain = fromLayer(stack.layer(2));

    // The shards: cells around the toolkit's own feature points.
    constexpr int kShards = 24;
    double xs[kShards], ys[kShards];
    LayerStack::cellPoints(kShards, 4242, xs, ys);
    struct Shard {
        double dx, dy;  // where it samples the field: pieces slid apart
        float bright;   // how hot it still is
        bool cold;      // some pieces have cooled to blue
        double gx, gy;  // direction of its facet's slope
    };
    Shard shards[kShards];
    Random random(77);
    for (Shard& s : shards) {
        s.dx = random.uniform(-24, 24);
        s.dy = random.uniform(-24, 24);
        s.bright = float(random.uniform(0.45, 1.2));
        s.cold = random.uniform(0, 1) < 0.3;
        const double a = random.uniform(0, 2 * kPi);
        s.gx = std::cos(a);
        s.gy = std::sin(a);
    }
    auto heat = [](float t) {
        return palette({{0.0f, 0x07041a},
                        {0.3f, 0x27104e},
                        {0.55f, 0x74205e},
                        {0.75f, 0xc9432e},
                        {0.9f, 0xf39b28},
                        {1.0f, 0xfff1b8}},
                       t);
    };
    auto ice = [](float t) {
        return palette({{0.0f, 0x02061a},
                        {0.35f, 0x0b2350},
                        {0.65f, 0x1a6a9a},
                        {0.88f, 0x5fd0e0},
                        {1.0f, 0xe0fbff}},
                       t);
    };
    const Canvas canvas = render(2, [&](double x, double y) {
        const CellHit hit = nearestCell(xs, ys, kShards, kSide, x, y);
        const double nx = hit.siteX, ny = hit.siteY, edge = hit.edge;
        const Shard& s = shards[hit.site];
        const Rgb f = field.sample(x + s.dx, y + s.dy);
        const float g = grain.sample(x, y).r;
        float t = (0.45f * f.r + 0.4f * f.g + 0.15f * f.b) * s.bright;
        t *= float(0.82 + 0.3 * ((x - nx) * s.gx + (y - ny) * s.gy) / 40);  // facet
        t *= 0.8f + 0.25f * g;
        t *= 0.55f + 0.45f * smoothstep(0.0f, 5.0f, float(edge));  // bevelled rims
        const float level = std::clamp(t * 1.3f, 0.0f, 1.0f);
        Rgb c = s.cold ? ice(level) : heat(level);
        // Cracks: a white-hot core in an orange glow.
        c = c + hex(0xff6a1a) * float(0.9 * std::exp(-edge / 3.2));
        c = mix(c, hex(0xfff4d0), smoothstep(1.1f, 0.2f, float(edge)));
        return c;
    });
    return canvas.rgba(0xde57u);
}

}  // namespace tev::content
