#include "picture_diff.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tev::test {

std::string PixelDifference::describe() const {
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(3);
    const double share = pixels ? 100.0 * off / pixels : 0;
    const double share8 = pixels ? 100.0 * offBy8 / pixels : 0;
    out << off << " of " << pixels << " pixels off (" << share << " %), " << offBy8
        << " off by more than 8 (" << share8 << " %), mean " << mean << ", largest " << largest;
    return out.str();
}

PixelDifference comparePictures(const Picture& mesa, const Picture& subset, int levels) {
    PixelDifference result;
    if (mesa.width != subset.width || mesa.height != subset.height ||
        mesa.rgb.size() != subset.rgb.size()) {
        result.pixels = -1;
        return result;
    }
    result.pixels = mesa.width * mesa.height;
    double sum = 0;
    std::vector<PixelDifference::Worst> all;
    for (int y = 0; y < mesa.height; ++y) {
        for (int x = 0; x < mesa.width; ++x) {
            const size_t at = (static_cast<size_t>(y) * mesa.width + x) * 3;
            PixelDifference::Worst pixel{x, y, {}, {}, 0};
            for (int c = 0; c < 3; ++c) {
                pixel.mesa[c] = mesa.rgb[at + c];
                pixel.subset[c] = subset.rgb[at + c];
                const int d = std::abs(pixel.mesa[c] - pixel.subset[c]);
                sum += d;
                pixel.difference = std::max(pixel.difference, d);
            }
            if (pixel.difference > levels) ++result.off;
            if (pixel.difference > 8) ++result.offBy8;
            result.largest = std::max(result.largest, pixel.difference);
            if (pixel.difference > 0) all.push_back(pixel);
        }
    }
    result.mean = result.pixels ? sum / (3.0 * result.pixels) : 0;
    const size_t keep = std::min<size_t>(all.size(), 10);
    std::partial_sort(all.begin(), all.begin() + static_cast<long>(keep), all.end(),
                      [](const auto& a, const auto& b) { return a.difference > b.difference; });
    result.worst.assign(all.begin(), all.begin() + static_cast<long>(keep));
    return result;
}

bool writePpm(const std::string& path, const Picture& picture) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(picture.rgb.data()),
              static_cast<std::streamsize>(picture.rgb.size()));
    return static_cast<bool>(out);
}

}  // namespace tev::test
