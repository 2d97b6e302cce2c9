#include "picture_diff.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace tev::test {

PictureDiff comparePictures(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width,
                            int height, int threshold) {
    PictureDiff diff;
    diff.pixels = static_cast<int64_t>(width) * height;
    const size_t size = static_cast<size_t>(diff.pixels) * 3;
    if (a.size() != size || b.size() != size) {
        diff.offPixels = diff.pixels;
        diff.meanAbsolute = 255.0;
        diff.worst = 255;
        return diff;
    }
    int64_t sum = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = (static_cast<size_t>(y) * width + x) * 3;
            int largest = 0;
            for (int c = 0; c < 3; ++c) {
                const int d = std::abs(int{a[at + c]} - int{b[at + c]});
                sum += d;
                largest = std::max(largest, d);
            }
            if (largest > threshold) ++diff.offPixels;
            if (largest > diff.worst) {
                diff.worst = largest;
                diff.worstX = x;
                diff.worstY = y;
            }
        }
    }
    diff.meanAbsolute = diff.pixels ? static_cast<double>(sum) / (3.0 * diff.pixels) : 0.0;
    return diff;
}

bool writePpm(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    return static_cast<bool>(out);
}

}  // namespace tev::test
