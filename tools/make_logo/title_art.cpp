#include "title_art.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "font_face.h"

namespace tev::logo {
namespace {

constexpr float kFar = 1e20f;

// One line of the title and its effects, in design units.
struct LineStyle {
    const char* text;
    double em;        // size
    double tracking;  // extra space between letters
    double baseline;  // from the frame's top
    double faceTop;   // where the chrome gradient starts, above the baseline
    double bevel;
    double gap;           // dark space between letter and outline
    double outlineWidth;  // 0: no outline
    double glowRadius;
    float glowStrength;
    bool rules;  // thin lines either side, as a frame for the subtitle
};

constexpr LineStyle kLines[] = {
    {"tev", 88, 1.5, 106, 66, 4.0, 1.7, 1.5, 9.0, 0.50f, false},
    {":: intro", 30, 6.0, 146, 23, 1.5, 0.0, 0.0, 5.0, 0.45f, true},
};
constexpr double kFrameWidth = 256;
constexpr double kFrameHeight = 192;

// Squared distance transform of one row or column (Felzenszwalb and
// Huttenlocher): d[q] = min over p of (q - p)^2 + f[p].
void distance1d(const float* f, int n, float* d, int* v, float* z) {
    int k = 0;
    v[0] = 0;
    z[0] = -kFar;
    z[1] = kFar;
    for (int q = 1; q < n; ++q) {
        float s;
        for (;;) {
            const int p = v[k];
            s = ((f[q] + float(q) * q) - (f[p] + float(p) * p)) / (2.0f * q - 2.0f * p);
            if (s > z[k] || k == 0) break;
            --k;
        }
        if (s <= z[k]) s = z[k];  // only when k == 0 and nothing lies left of q
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = kFar;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q)
            ++k;
        const float dq = float(q - v[k]);
        d[q] = dq * dq + f[v[k]];
    }
}

// Euclidean distance from every pixel to the nearest pixel where `inside`
// is true (0 on those pixels).
std::vector<float> distanceTo(const std::vector<uint8_t>& inside, int w, int h) {
    std::vector<float> grid(inside.size());
    for (size_t i = 0; i < inside.size(); ++i)
        grid[i] = inside[i] ? 0.0f : kFar;
    const int n = std::max(w, h);
    std::vector<float> f(n), d(n), z(n + 1);
    std::vector<int> v(n);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            f[y] = grid[size_t(y) * w + x];
        distance1d(f.data(), h, d.data(), v.data(), z.data());
        for (int y = 0; y < h; ++y)
            grid[size_t(y) * w + x] = d[y];
    }
    for (int y = 0; y < h; ++y) {
        float* row = grid.data() + size_t(y) * w;
        std::copy(row, row + w, f.begin());
        distance1d(f.data(), w, d.data(), v.data(), z.data());
        for (int x = 0; x < w; ++x)
            row[x] = std::sqrt(d[x]);
    }
    return grid;
}

float clamp01(double v) {
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

// Coverage of one line's letters (and rules) on the canvas.
bool drawLineBody(font::FontFace& face, const LineStyle& style, int width, int height, double unit,
                  double frameLeft, double frameTop, std::vector<float>& body) {
    const int sizePx = static_cast<int>(std::lround(style.em * unit));
    struct Placed {
        font::Glyph glyph;
        double x;
    };
    std::vector<Placed> placed;
    double pen = 0;
    char32_t previous = 0;
    for (const char* c = style.text; *c; ++c) {
        const char32_t code = static_cast<unsigned char>(*c);
        Placed p;
        if (!face.render(code, sizePx, sizePx, false, p.glyph)) return false;
        if (previous) pen += face.kerning(previous, code) + style.tracking * unit;
        p.x = pen;
        pen += p.glyph.advance;
        previous = code;
        placed.push_back(std::move(p));
    }
    // Centre the ink, not the advances.
    double inkLeft = 1e9, inkRight = -1e9;
    for (const Placed& p : placed) {
        if (p.glyph.width == 0) continue;
        inkLeft = std::min(inkLeft, p.x + p.glyph.left);
        inkRight = std::max(inkRight, p.x + p.glyph.left + p.glyph.width);
    }
    const double originX = frameLeft + kFrameWidth * unit / 2 - (inkLeft + inkRight) / 2;
    const double baselineY = frameTop + style.baseline * unit;
    for (const Placed& p : placed) {
        const int left = static_cast<int>(std::lround(originX + p.x)) + p.glyph.left;
        const int top = static_cast<int>(std::lround(baselineY)) - p.glyph.top;
        for (int y = 0; y < p.glyph.rows; ++y) {
            for (int x = 0; x < p.glyph.width; ++x) {
                const int cx = left + x, cy = top + y;
                if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
                float& out = body[size_t(cy) * width + cx];
                out = std::max(out, p.glyph.coverage[size_t(y) * p.glyph.width + x] / 255.0f);
            }
        }
    }
    if (style.rules) {
        // Capsules on the subtitle's x-height middle, from the frame's
        // margin to just short of the ink.
        const double y = baselineY - 0.27 * style.em * unit;
        const double half = 0.9 * unit;
        const double margin = 20 * unit, space = 7 * unit;
        const double spans[2][2] = {
            {frameLeft + margin, originX + inkLeft - space},
            {originX + inkRight + space, frameLeft + kFrameWidth * unit - margin}};
        for (const auto& span : spans) {
            for (int py = 0; py < height; ++py) {
                for (int px = 0; px < width; ++px) {
                    const double cx = std::clamp(px + 0.5, span[0], span[1]);
                    const double d = std::hypot(px + 0.5 - cx, py + 0.5 - y) - half;
                    float& out = body[size_t(py) * width + px];
                    out = std::max(out, clamp01(0.5 - d));
                }
            }
        }
    }
    return true;
}

// Chrome: bright at the top, darkening to a sharp horizon just below the
// middle, then rising again towards the bottom.
float chrome(double r) {
    r = std::clamp(r, 0.0, 1.0);
    if (r < 0.52) return static_cast<float>(1.0 - 0.45 * (r / 0.52));
    return static_cast<float>(0.36 + 0.5 * ((r - 0.52) / 0.48));
}

}  // namespace

bool drawTitleArt(int width, int height, double unit, TitleArt& art, std::string* error) {
    font::FontFace face(font::dejaVuPath("DejaVuSans-Bold.ttf"));
    if (!face.ok()) {
        if (error) *error = face.error();
        return false;
    }
    const size_t count = size_t(width) * height;
    art = TitleArt{};
    art.width = width;
    art.height = height;
    art.body.assign(count, 0);
    art.shade.assign(count, 0);
    art.outline.assign(count, 0);
    art.glow.assign(count, 0);
    const double frameLeft = (width - kFrameWidth * unit) / 2;
    const double frameTop = (height - kFrameHeight * unit) / 2;
    // Where the lighting comes from: the upper left.
    const double lightX = -0.6, lightY = -0.8;

    for (const LineStyle& style : kLines) {
        std::vector<float> body(count, 0);
        if (!drawLineBody(face, style, width, height, unit, frameLeft, frameTop, body)) {
            if (error) *error = "cannot render the title's letters";
            return false;
        }
        std::vector<uint8_t> inside(count), outside(count);
        for (size_t i = 0; i < count; ++i) {
            inside[i] = body[i] >= 0.5f;
            outside[i] = !inside[i];
        }
        const std::vector<float> toInside = distanceTo(inside, width, height);
        const std::vector<float> toOutside = distanceTo(outside, width, height);
        auto signedDistance = [&](int x, int y) {  // positive inside
            x = std::clamp(x, 0, width - 1);
            y = std::clamp(y, 0, height - 1);
            const size_t i = size_t(y) * width + x;
            return double(toOutside[i]) - toInside[i];
        };
        const double faceTop = frameTop + (style.baseline - style.faceTop) * unit;
        const double faceBottom = frameTop + style.baseline * unit;
        const double bevel = style.bevel * unit;
        const double gap = style.gap * unit;
        const double ringEnd = gap + style.outlineWidth * unit;
        const double glowRadius = style.glowRadius * unit;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const size_t i = size_t(y) * width + x;
                const double d = toInside[i];
                if (body[i] > 0) {
                    const double depth = std::max(0.0, signedDistance(x, y));
                    float s = chrome((y + 0.5 - faceTop) / (faceBottom - faceTop));
                    if (depth < bevel) {
                        // The outward normal of a raised edge, lit from the light's side.
                        double gx = signedDistance(x + 1, y) - signedDistance(x - 1, y);
                        double gy = signedDistance(x, y + 1) - signedDistance(x, y - 1);
                        const double length = std::hypot(gx, gy);
                        if (length > 0) {
                            gx /= -length;
                            gy /= -length;
                            const double facing = gx * lightX + gy * lightY;
                            s += static_cast<float>(0.55 * facing * (1 - depth / bevel));
                        }
                    }
                    art.shade[i] = art.body[i] > body[i] ? art.shade[i] : clamp01(s);
                    art.body[i] = std::max(art.body[i], body[i]);
                }
                if (ringEnd > gap) {
                    const float ring = clamp01(d - gap + 0.5) * clamp01(ringEnd - d + 0.5);
                    art.outline[i] = std::max(art.outline[i], ring);
                }
                if (d > ringEnd) {
                    const float glow = style.glowStrength *
                                       static_cast<float>(std::exp(-(d - ringEnd) / glowRadius));
                    art.glow[i] = std::max(art.glow[i], glow);
                }
            }
        }
    }
    return true;
}

std::vector<float> resampleArea(const std::vector<float>& source, int sw, int sh, int dw, int dh) {
    // Rows first, then columns, each a 1-D area average.
    auto resample1d = [](const float* in, int n, int stride, float* out, int m, int outStride) {
        const double scale = double(n) / m;
        for (int i = 0; i < m; ++i) {
            const double a = i * scale, b = (i + 1) * scale;
            double sum = 0;
            for (int p = static_cast<int>(a); p < n && p < b; ++p) {
                const double overlap = std::min(b, p + 1.0) - std::max(a, double(p));
                if (overlap > 0) sum += overlap * in[size_t(p) * stride];
            }
            out[size_t(i) * outStride] = static_cast<float>(sum / scale);
        }
    };
    std::vector<float> across(size_t(dw) * sh);
    for (int y = 0; y < sh; ++y)
        resample1d(source.data() + size_t(y) * sw, sw, 1, across.data() + size_t(y) * dw, dw, 1);
    std::vector<float> result(size_t(dw) * dh);
    for (int x = 0; x < dw; ++x)
        resample1d(across.data() + x, sh, dw, result.data() + x, dh, dw);
    return result;
}

bool drawLogoPicture(LogoPicture& picture, std::string* error) {
    // The design frame fills the view: 256 x 192 units on a 4:3 screen, so
    // one unit is square there.
    TitleArt art;
    if (!drawTitleArt(256 * kLogoFine, 192 * kLogoFine, kLogoFine, art, error)) return false;
    picture.width = art.width;
    picture.height = art.height;
    picture.value.assign(art.body.size(), 0.0f);
    for (size_t i = 0; i < picture.value.size(); ++i) {
        float v = art.glow[i];
        v += (0.92f - v) * art.outline[i];
        v += (art.shade[i] - v) * art.body[i];
        picture.value[i] = v;
    }
    return true;
}

std::vector<uint8_t> storedLogo(const LogoPicture& picture) {
    const std::vector<float> small =
        resampleArea(picture.value, picture.width, picture.height, kLogoWidth, kLogoHeight);
    std::vector<uint8_t> gray(small.size(), 0);
    for (int y = 0; y < kLogoHeight; ++y) {
        // Bottom-up: the picture's top row is stored last.
        const float* in = small.data() + size_t(y) * kLogoWidth;
        uint8_t* out = gray.data() + size_t(kLogoHeight - 1 - y) * kLogoWidth;
        for (int x = 0; x < kLogoWidth; ++x)
            out[x] = static_cast<uint8_t>(std::lround(std::clamp(in[x], 0.0f, 1.0f) * 255));
    }
    return gray;
}

bool drawLogo(std::vector<uint8_t>& gray, std::string* error) {
    LogoPicture picture;
    if (!drawLogoPicture(picture, error)) return false;
    gray = storedLogo(picture);
    return true;
}

}  // namespace tev::logo
