#include "plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "png_io.h"

namespace tev::bench {
namespace {

// 3 x 5 glyphs, one string of five rows of three bits each.
const char* glyph(char c) {
    switch (c) {
        case '0':
            return "111101101101111";
        case '1':
            return "010110010010111";
        case '2':
            return "111001111100111";
        case '3':
            return "111001111001111";
        case '4':
            return "101101111001001";
        case '5':
            return "111100111001111";
        case '6':
            return "111100111101111";
        case '7':
            return "111001001001001";
        case '8':
            return "111101111101111";
        case '9':
            return "111101111001111";
        case '.':
            return "000000000000010";
        case '-':
            return "000000111000000";
        case 'a':
            return "000011101101011";
        case 'b':
            return "100110101101110";
        case 'c':
            return "000011100100011";
        case 'd':
            return "001011101101011";
        case 'e':
            return "010101111100011";
        case 'f':
            return "011100110100100";
        case 'g':
            return "011101011001110";
        case 'h':
            return "100110101101101";
        case 'i':
            return "010000010010010";
        case 'k':
            return "100101110110101";
        case 'l':
            return "100100100100011";
        case 'm':
            return "000111111101101";
        case 'n':
            return "000110101101101";
        case 'o':
            return "000010101101010";
        case 'p':
            return "000110101110100";
        case 'r':
            return "000101110100100";
        case 's':
            return "000011110001110";
        case 't':
            return "010111010010001";
        case 'u':
            return "000101101101011";
        case 'w':
            return "000101101111111";
        default:
            return "000000000000000";
    }
}

constexpr int kScale = 2;             // glyph pixels per font bit
constexpr int kAdvance = 4 * kScale;  // per character
constexpr int kGlyphHeight = 5 * kScale;

class Canvas {
  public:
    Canvas(int width, int height) : w_(width), h_(height), rgb_(size_t(width) * height * 3, 255) {}

    void dot(int x, int y, const std::array<uint8_t, 3>& c) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
        uint8_t* p = &rgb_[(size_t(y) * w_ + x) * 3];
        p[0] = c[0];
        p[1] = c[1];
        p[2] = c[2];
    }

    void rect(int x0, int y0, int x1, int y1, const std::array<uint8_t, 3>& c) {
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x)
                dot(x, y, c);
        }
    }

    // A line of the given thickness, Bresenham with a square pen.
    void line(int x0, int y0, int x1, int y1, int thickness, const std::array<uint8_t, 3>& c) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        const int r0 = -(thickness - 1) / 2, r1 = thickness / 2;
        for (;;) {
            rect(x0 + r0, y0 + r0, x0 + r1, y0 + r1, c);
            if (x0 == x1 && y0 == y1) break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

    void text(int x, int y, const std::string& s, const std::array<uint8_t, 3>& c) {
        for (char ch : s) {
            const char* bits = glyph(ch);
            for (int row = 0; row < 5; ++row) {
                for (int col = 0; col < 3; ++col) {
                    if (bits[row * 3 + col] != '1') continue;
                    rect(x + col * kScale, y + row * kScale, x + col * kScale + kScale - 1,
                         y + row * kScale + kScale - 1, c);
                }
            }
            x += kAdvance;
        }
    }

    std::vector<uint8_t> take() { return std::move(rgb_); }

  private:
    int w_, h_;
    std::vector<uint8_t> rgb_;
};

// A round step that gives about `lines` grid lines over `span`.
double niceStep(double span, int lines) {
    const double raw = span / lines;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
        if (f * power >= raw) return f * power;
    }
    return 10.0 * power;
}

std::string number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

}  // namespace

std::vector<uint8_t> renderChart(const Chart& chart) {
    Canvas canvas(chart.width, chart.height);
    const std::array<uint8_t, 3> ink{0, 0, 0}, grid{225, 225, 225};
    const int left = 60, right = chart.width - 20, top = 50, bottom = chart.height - 40;

    double yMax = 0.0;
    for (const Series& s : chart.series) {
        for (double v : s.y)
            yMax = std::max(yMax, v);
    }
    const double yStep = niceStep(yMax > 0 ? yMax : 1.0, 8);
    yMax = std::max(yStep, std::ceil(yMax / yStep) * yStep);
    const double xSpan = std::max(chart.xTo - chart.xFrom, 1e-9);
    const double xStep = niceStep(xSpan, 13);
    auto px = [&](double x) {
        return left + static_cast<int>(std::lround((x - chart.xFrom) / xSpan * (right - left)));
    };
    auto py = [&](double y) {
        return bottom - static_cast<int>(std::lround(y / yMax * (bottom - top)));
    };

    for (double y = 0; y <= yMax + 1e-9; y += yStep) {
        canvas.line(left, py(y), right, py(y), 1, grid);
        const std::string label = number(y);
        canvas.text(left - 6 - kAdvance * int(label.size()), py(y) - kGlyphHeight / 2, label, ink);
    }
    for (double x = std::ceil(chart.xFrom / xStep) * xStep; x <= chart.xTo + 1e-9; x += xStep) {
        canvas.line(px(x), top, px(x), bottom, 1, grid);
        const std::string label = number(x);
        canvas.text(px(x) - kAdvance * int(label.size()) / 2, bottom + 6, label, ink);
    }
    canvas.line(left, top, left, bottom, 1, ink);
    canvas.line(left, bottom, right, bottom, 1, ink);
    canvas.text(right - kAdvance * int(chart.xLabel.size()), bottom + 22, chart.xLabel, ink);
    canvas.text(left - 50, top - 18, chart.yLabel, ink);

    int legendX = left + 150;
    for (const Series& s : chart.series) {
        for (size_t i = 1; i < s.x.size() && i < s.y.size(); ++i) {
            canvas.line(px(s.x[i - 1]), py(s.y[i - 1]), px(s.x[i]), py(s.y[i]), s.thickness,
                        s.colour);
        }
        if (s.x.size() == 1 && !s.y.empty())
            canvas.rect(px(s.x[0]) - 1, py(s.y[0]) - 1, px(s.x[0]) + 1, py(s.y[0]) + 1, s.colour);
        canvas.rect(legendX, 14, legendX + 16, 14 + 2 + s.thickness, s.colour);
        canvas.text(legendX + 22, 10, s.label, ink);
        legendX += 30 + kAdvance * int(s.label.size()) + 20;
    }
    return canvas.take();
}

bool writeChart(const std::string& path, const Chart& chart, std::string* error) {
    const std::vector<uint8_t> rgb = renderChart(chart);
    return png::writeRgb(path, chart.width, chart.height, rgb.data(), error);
}

}  // namespace tev::bench
