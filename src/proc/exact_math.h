#pragma once
// Small numeric helpers shared by the procedural textures and the show.
// Each one equals the plain C conversion or operation wherever that is
// defined, and gives a defined result where the plain one would be
// undefined behaviour.

#include <cmath>
#include <cstdint>
#include <limits>

namespace tev {

// C's sin and cos: double in, double out. A float argument is promoted to
// double as C promotes it, where std::sin and std::cos would pick their
// float overloads and give other values. The show's angles, alphas and
// points are C expressions, rounded to float only where they are stored.
inline double cSin(double x) {
    return std::sin(x);
}
inline double cCos(double x) {
    return std::cos(x);
}

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
inline int truncToInt(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
    if (std::isnan(value)) return 0;
    return value < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
}

// A real value as a texel byte: truncate toward zero, keep the low 8 bits
// (so 300 gives 44 and -10 gives 246).
inline uint8_t byteOf(double value) {
    return static_cast<uint8_t>(static_cast<uint32_t>(truncToInt(value)));
}

// Limit to [0, 1], scale to 0..255 and truncate.
inline uint8_t clampedByte(double value) {
    if (value < 0) value = 0;
    if (value > 1) value = 1;
    return byteOf(value * 255);
}

// 32-bit two's-complement arithmetic with wrap-around, without the
// undefined behaviour of signed overflow.
inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

}  // namespace tev
