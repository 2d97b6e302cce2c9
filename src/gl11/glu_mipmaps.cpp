#include "gl11/glu_mipmaps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tev::gl11 {
namespace {

constexpr int64_t kMaxBytes = std::numeric_limits<int32_t>::max();

// A picture in memory as GLU walks it: `rowBytes` apart (GLU's ysize), and
// reads past `size` give zero (GLU reads whatever lies there, which only
// happens where its weight is zero or at the very edge of a huge scale).
struct Source {
    const uint8_t* data;
    int64_t size;
    int64_t rowBytes;
    uint8_t at(int64_t offset) const {
        return offset >= 0 && offset < size ? data[offset] : uint8_t{0};
    }
};

// GLU's rounding of a side to a power of two: by its two highest bits.
int64_t nearestPower(int64_t value) {
    int64_t power = 1;
    for (;;) {
        if (value == 1) return power;
        if (value == 3) return power * 4;
        value >>= 1;
        power *= 2;
    }
}

int log2Of(int64_t power) {
    int log = 0;
    while (power > 1) {
        power >>= 1;
        ++log;
    }
    return log;
}

// One row or one column: pairs averaged, truncated.
void halve1D(int components, int64_t width, int64_t height, const Source& in, uint8_t* out) {
    int64_t src = 0;
    if (height == 1) {
        for (int64_t j = 0; j < width / 2; ++j) {
            for (int k = 0; k < components; ++k) {
                *out++ = static_cast<uint8_t>((in.at(src) + in.at(src + components)) / 2);
                ++src;
            }
            src += components;
        }
    } else {
        const int64_t pad = in.rowBytes - components;
        for (int64_t j = 0; j < height / 2; ++j) {
            for (int k = 0; k < components; ++k) {
                *out++ = static_cast<uint8_t>((in.at(src) + in.at(src + in.rowBytes)) / 2);
                ++src;
            }
            src += pad + in.rowBytes;
        }
    }
}

// A 2 x 2 box with rounding; one row or column as above.
void halve(int components, int64_t width, int64_t height, const Source& in, uint8_t* out) {
    if (width == 1 || height == 1) {
        halve1D(components, width, height, in, out);
        return;
    }
    const int64_t pad = in.rowBytes - width * components;
    int64_t t = 0;
    for (int64_t i = 0; i < height / 2; ++i) {
        for (int64_t j = 0; j < width / 2; ++j) {
            for (int k = 0; k < components; ++k) {
                *out++ = static_cast<uint8_t>((in.at(t) + in.at(t + components) +
                                               in.at(t + in.rowBytes) +
                                               in.at(t + in.rowBytes + components) + 2) /
                                              4);
                ++t;
            }
            t += components;
        }
        t += pad + in.rowBytes;
    }
}

// gluScaleImage's box filter for bytes, step for step in single precision
// (the order of the sums decides the last bit, and the truncation to a
// byte shows it). Its first and last columns drift one pixel to the right
// for every inner row, as GLU's pointers do.
void scale(int components, int widthIn, int heightIn, const Source& in, int widthOut, int heightOut,
           uint8_t* out) {
    if (widthIn == widthOut * 2 && heightIn == heightOut * 2) {
        halve(components, widthIn, heightIn, in, out);
        return;
    }
    const int64_t group = components;
    const int64_t ysize = in.rowBytes;
    const float convy = static_cast<float>(heightIn) / static_cast<float>(heightOut);
    const float convx = static_cast<float>(widthIn) / static_cast<float>(widthOut);
    const int convyInt = static_cast<int>(std::floor(static_cast<double>(convy)));
    const float convyFloat = convy - static_cast<float>(convyInt);
    const int convxInt = static_cast<int>(std::floor(static_cast<double>(convx)));
    const float convxFloat = convx - static_cast<float>(convxInt);
    const float area = convx * convy;

    int lowyInt = 0;
    float lowyFloat = 0;
    int highyInt = convyInt;
    float highyFloat = convyFloat;
    for (int i = 0; i < heightOut; ++i) {
        if (highyInt >= heightIn) highyInt = heightIn - 1;
        int lowxInt = 0;
        float lowxFloat = 0;
        int highxInt = convxInt;
        float highxFloat = convxFloat;
        for (int j = 0; j < widthOut; ++j) {
            float totals[4] = {0, 0, 0, 0};
            auto add = [&](int64_t at, float weight) {
                for (int k = 0; k < components; ++k) {
                    totals[k] += static_cast<float>(in.at(at + k)) * weight;
                }
            };
            const int64_t xindex = lowxInt * group;
            if (highyInt > lowyInt && highxInt > lowxInt) {
                float yPercent = 1 - lowyFloat;
                int64_t temp = xindex + lowyInt * ysize;
                add(temp, yPercent * (1 - lowxFloat));
                int64_t left = temp;
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    temp += group;
                    add(temp, yPercent);
                }
                temp += group;
                int64_t right = temp;
                add(temp, yPercent * highxFloat);

                yPercent = highyFloat;
                temp = xindex + highyInt * ysize;
                add(temp, yPercent * (1 - lowxFloat));
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    temp += group;
                    add(temp, yPercent);
                }
                temp += group;
                add(temp, yPercent * highxFloat);

                for (int m = lowyInt + 1; m < highyInt; ++m) {
                    left += ysize;
                    right += ysize;
                    for (int k = 0; k < components; ++k, ++left, ++right) {
                        totals[k] += static_cast<float>(in.at(left)) * (1 - lowxFloat) +
                                     static_cast<float>(in.at(right)) * highxFloat;
                    }
                }
            } else if (highyInt > lowyInt) {
                const float xPercent = highxFloat - lowxFloat;
                int64_t temp = xindex + lowyInt * ysize;
                add(temp, (1 - lowyFloat) * xPercent);
                for (int m = lowyInt + 1; m < highyInt; ++m) {
                    temp += ysize;
                    add(temp, xPercent);
                }
                temp += ysize;
                add(temp, xPercent * highyFloat);
            } else if (highxInt > lowxInt) {
                const float yPercent = highyFloat - lowyFloat;
                int64_t temp = xindex + lowyInt * ysize;
                add(temp, (1 - lowxFloat) * yPercent);
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    temp += group;
                    add(temp, yPercent);
                }
                temp += group;
                add(temp, yPercent * highxFloat);
            } else {
                add(xindex + lowyInt * ysize, (highyFloat - lowyFloat) * (highxFloat - lowxFloat));
            }

            // The body: whole pixels.
            int64_t temp0 = xindex + group + (lowyInt + 1) * ysize;
            for (int m = lowyInt + 1; m < highyInt; ++m) {
                int64_t temp = temp0;
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    for (int k = 0; k < components; ++k) {
                        totals[k] += static_cast<float>(in.at(temp + k));
                    }
                    temp += group;
                }
                temp0 += ysize;
            }

            uint8_t* to = out + (static_cast<int64_t>(i) * widthOut + j) * components;
            for (int k = 0; k < components; ++k) {
                // A float stored to a byte: truncated to an integer, low byte kept.
                to[k] = static_cast<uint8_t>(static_cast<int>(totals[k] / area));
            }
            lowxInt = highxInt;
            lowxFloat = highxFloat;
            highxInt += convxInt;
            highxFloat += convxFloat;
            if (highxFloat > 1) {
                highxFloat -= 1.0f;
                ++highxInt;
            }
        }
        lowyInt = highyInt;
        lowyFloat = highyFloat;
        highyInt += convyInt;
        highyFloat += convyFloat;
        if (highyFloat > 1) {
            highyFloat -= 1.0f;
            ++highyInt;
        }
    }
}

// A tightly packed level as GL stores it when read with `alignment`.
MipLevel asGlReads(std::vector<uint8_t> tight, int width, int height, int components,
                   int alignment) {
    MipLevel level;
    level.width = width;
    level.height = height;
    const int64_t rowBytes = static_cast<int64_t>(width) * components;
    const int64_t stride = (rowBytes + alignment - 1) / alignment * alignment;
    if (stride == rowBytes) {
        level.pixels = std::move(tight);
        level.exactRows = height;
        return level;
    }
    const Source source{tight.data(), static_cast<int64_t>(tight.size()), stride};
    level.pixels.resize(tight.size());
    for (int r = 0; r < height; ++r) {
        for (int64_t b = 0; b < rowBytes; ++b) {
            level.pixels[static_cast<size_t>(r * rowBytes + b)] = source.at(r * stride + b);
        }
        if (r * stride + rowBytes <= source.size) level.exactRows = r + 1;
    }
    return level;
}

}  // namespace

std::vector<MipLevel> gluMipmapLevels(int components, int width, int height, const uint8_t* pixels,
                                      int unpackAlignment, int maxTextureSize) {
    if (width < 1 || height < 1 || components < 1 || components > 4 || pixels == nullptr ||
        maxTextureSize < 1) {
        return {};
    }
    if (unpackAlignment != 1 && unpackAlignment != 2 && unpackAlignment != 4 &&
        unpackAlignment != 8) {
        return {};
    }
    const int64_t rowBytes = static_cast<int64_t>(width) * components;
    const int64_t ysize = (rowBytes + unpackAlignment - 1) / unpackAlignment * unpackAlignment;
    if (ysize * height > kMaxBytes) return {};
    const Source user{pixels, ysize * (height - 1) + rowBytes, ysize};

    // Level 0's size: what GL's proxy texture accepts for level 1.
    int64_t w = nearestPower(width), h = nearestPower(height);
    for (;;) {
        const int64_t w1 = w > 1 ? w >> 1 : w, h1 = h > 1 ? h >> 1 : h;
        if (w1 <= maxTextureSize / 2 && h1 <= maxTextureSize / 2) break;
        if (w == 1 && h == 1) {
            // Not even 1 x 1 fits: GLU falls back on the largest size.
            w = std::min<int64_t>(nearestPower(width), maxTextureSize);
            h = std::min<int64_t>(nearestPower(height), maxTextureSize);
            break;
        }
        w = w1;
        h = h1;
    }
    const int levels = std::max(log2Of(w), log2Of(h));

    std::vector<MipLevel> result;
    std::vector<uint8_t> current;
    int newWidth = static_cast<int>(w), newHeight = static_cast<int>(h);
    if (width == w && height == h) {
        MipLevel zero;
        zero.width = width;
        zero.height = height;
        zero.exactRows = height;
        zero.pixels.resize(static_cast<size_t>(rowBytes * height));
        for (int r = 0; r < height; ++r) {
            std::copy(pixels + r * ysize, pixels + r * ysize + rowBytes,
                      zero.pixels.begin() + r * rowBytes);
        }
        result.push_back(std::move(zero));
        if (levels == 0) return result;
        newWidth = std::max(width / 2, 1);
        newHeight = std::max(height / 2, 1);
        current.resize(static_cast<size_t>(newWidth) * newHeight * components);
        halve(components, width, height, user, current.data());
    } else {
        current.resize(static_cast<size_t>(w * h * components));
        scale(components, width, height, user, newWidth, newHeight, current.data());
    }
    result.push_back(asGlReads(current, newWidth, newHeight, components, unpackAlignment));

    while (static_cast<int>(result.size()) <= levels) {
        const Source previous{current.data(), static_cast<int64_t>(current.size()),
                              static_cast<int64_t>(newWidth) * components};
        const int halfWidth = newWidth > 1 ? newWidth / 2 : 1;
        const int halfHeight = newHeight > 1 ? newHeight / 2 : 1;
        std::vector<uint8_t> next(static_cast<size_t>(halfWidth) * halfHeight * components);
        halve(components, newWidth, newHeight, previous, next.data());
        current = std::move(next);
        newWidth = halfWidth;
        newHeight = halfHeight;
        MipLevel level;
        level.width = newWidth;
        level.height = newHeight;
        level.pixels = current;
        level.exactRows = newHeight;
        result.push_back(std::move(level));
    }
    return result;
}

}  // namespace tev::gl11
