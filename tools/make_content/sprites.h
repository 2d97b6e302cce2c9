#pragma once
// The particle scene's five pictures, written as uncompressed TGA files
// (image type 2, bottom-up, no ID field). "leaf" and "n" are colour-keyed by
// the show: their background is exactly black, every pixel of the subject
// has a channel of at least 4, and no black hole lies inside the subject.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::content {

inline constexpr int kSpriteSide = 128;

struct Sprite {
    std::string name;           // the file is data/<name>.tga
    int channels;               // 3 or 4 in the file
    std::vector<uint8_t> rgba;  // kSpriteSide^2 RGBA pixels, row 0 at the top
};

// leaf, block, flare, tex, n. Empty on failure, with a message.
std::vector<Sprite> drawSprites(std::string* error);

// The TGA file of a top-down RGBA picture, with 3 or 4 channels stored.
std::vector<uint8_t> encodeTga(int width, int height, int channels, const uint8_t* rgba);

}  // namespace tev::content
