#pragma once
// How far two RGB pictures of one size lie apart, as the comparisons of
// Mesa's pipeline with the GL subset count it: a pixel is off by the largest
// difference of its three channels.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::test {

// RGB bytes, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

struct Tolerance {
    int levels = 8;               // a pixel is "off" when a channel differs by more
    double offFraction = 0.01;    // at most this share of the pixels off
    double meanDifference = 1.5;  // mean absolute difference over every channel
};

struct PixelDifference {
    int pixels = 0;
    int off = 0;      // pixels with a channel off by more than the tolerance's levels
    int offBy8 = 0;   // ... by more than 8 (the whole-frame bar)
    double mean = 0;  // over every channel
    int largest = 0;
    struct Worst {
        int x, y;
        int mesa[3], subset[3];
        int difference;
    };
    std::vector<Worst> worst;  // the ten largest, largest first
    std::string describe() const;
};

// Compares two pictures of one size (a size that differs gives pixels -1).
PixelDifference comparePictures(const Picture& mesa, const Picture& subset, int levels);

// Writes a binary PPM; false when the file cannot be written.
bool writePpm(const std::string& path, const Picture& picture);

}  // namespace tev::test
