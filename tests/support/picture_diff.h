#pragma once
// How far two RGB pictures of one size lie apart, as the comparisons of
// Mesa's pipeline with the GL subset count it: a pixel is off by the largest
// difference of its three channels.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::test {

struct PictureDiff {
    int64_t pixels = 0;
    int64_t offPixels = 0;      // off by more than the threshold
    double meanAbsolute = 0.0;  // over every channel of every pixel, in levels
    int worst = 0;              // the largest difference of any channel
    int worstX = -1;            // where it is, top row 0
    int worstY = -1;
    double offShare() const { return pixels ? static_cast<double>(offPixels) / pixels : 0.0; }
};

// Both pictures top row first, 3 bytes a pixel; pictures of another size
// than width x height give a diff with every pixel off.
PictureDiff comparePictures(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width,
                            int height, int threshold);

// The picture as a binary PPM file (false when it cannot be written).
bool writePpm(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);

}  // namespace tev::test
