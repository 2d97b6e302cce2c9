#pragma once
// The mipmap levels that libGLU's gluBuild2DMipmaps hands to GL, computed on
// the CPU without any GL, so that the subset's textures are Mesa's byte for
// byte. For GL_UNSIGNED_BYTE sources of 1 to 4 components (GL_LUMINANCE is
// 1, GL_RGBA 4), with rows padded to GL_UNPACK_ALIGNMENT as GL reads them
// (row length and skips zero, as the program leaves them).
//
// What GLU does, and so what this does:
//  - Level 0's size: each side rounded to a "nearest" power of two (judged
//    by the two highest bits: 3 -> 4, 5 -> 4, 6 -> 8, 48 -> 64, 20 -> 16);
//    then, while level 1 of that size is larger than GL accepts (each side
//    of level 1 at most maxTextureSize / 2), both sides halved (each
//    clamped at 1).
//  - A source already of that size is level 0 itself; its level 1 is
//    halved from it. Any other source is first scaled to that size with
//    gluScaleImage's box filter (single-precision weights, truncated to a
//    byte, drifting first and last columns and all).
//  - Each next level halves the previous one: a 2 x 2 box with rounding,
//    (a + b + c + d + 2) / 4; once one side is 1, pairs along the other,
//    truncated, (a + b) / 2. Down to 1 x 1.
//  - GLU hands its first computed level (level 0 of a scaled source, or
//    level 1 of a source already the right size) to GL tightly packed but
//    with the caller's alignment still set: when that level's row is not a
//    multiple of the alignment, GL reads its rows at the aligned stride.
//    Such a level is given here as GL stores it: rows read at that stride,
//    as far as GLU's buffer reaches (`exactRows`); the rows GL reads past
//    GLU's buffer are memory GLU never wrote, given here as zeros.

#include <cstdint>
#include <vector>

namespace tev::gl11 {

struct MipLevel {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // tightly packed rows, bottom row first as in GL
    int exactRows = 0;            // leading rows equal to GL's (all of them but above)
};

// Every level, 0 first, down to 1 x 1. Empty for a side below 1, components
// outside 1..4, a null source, an alignment other than 1, 2, 4 or 8, a
// maxTextureSize below 1, or a source of more than 2^31 - 1 bytes (GL's
// own limit), where GLU fails too or sizes could not be held.
std::vector<MipLevel> gluMipmapLevels(int components, int width, int height, const uint8_t* pixels,
                                      int unpackAlignment, int maxTextureSize);

}  // namespace tev::gl11
