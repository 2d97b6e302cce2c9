#include "icon.h"

#include <algorithm>
#include <cmath>

namespace tev::logo {

std::vector<uint8_t> drawIcon(const LogoPicture& logo, int side) {
    const int full = logo.width;
    const int top = (full - logo.height) / 2;
    const double radius = full * (40.0 / 256.0);
    // Premultiplied red, green, blue and alpha planes at full size.
    std::vector<float> planes[4];
    for (auto& plane : planes)
        plane.assign(size_t(full) * full, 0.0f);
    for (int y = 0; y < full; ++y) {
        for (int x = 0; x < full; ++x) {
            // Distance outside the rounded square, for a soft edge.
            const double dx = std::max(0.0, std::abs(x + 0.5 - full / 2.0) - (full / 2.0 - radius));
            const double dy = std::max(0.0, std::abs(y + 0.5 - full / 2.0) - (full / 2.0 - radius));
            const double outside = std::sqrt(dx * dx + dy * dy) - radius;
            const double alpha = std::clamp(0.5 - outside, 0.0, 1.0);
            const int row = y - top;
            const double g = row >= 0 && row < logo.height
                                 ? std::clamp(logo.value[size_t(row) * full + x], 0.0f, 1.0f)
                                 : 0.0;
            const double shade = 0.08 + 0.06 * (1.0 - double(y) / full);
            const size_t i = size_t(y) * full + x;
            planes[0][i] = float(alpha * std::min(1.0, shade + g * 1.00));
            planes[1][i] = float(alpha * std::min(1.0, shade + g * 0.82));
            planes[2][i] = float(alpha * std::min(1.0, shade * 1.4 + g * 0.45));
            planes[3][i] = float(alpha);
        }
    }
    if (side != full) {
        for (auto& plane : planes)
            plane = resampleArea(plane, full, full, side, side);
    }
    std::vector<uint8_t> rgba(size_t(side) * side * 4);
    for (size_t i = 0; i < size_t(side) * side; ++i) {
        const float alpha = planes[3][i];
        for (int c = 0; c < 3; ++c) {
            const float value = alpha > 0.0f ? planes[c][i] / alpha : 0.0f;
            rgba[i * 4 + c] = uint8_t(std::lround(255 * std::clamp(value, 0.0f, 1.0f)));
        }
        rgba[i * 4 + 3] = uint8_t(std::lround(255 * std::clamp(alpha, 0.0f, 1.0f)));
    }
    return rgba;
}

}  // namespace tev::logo
