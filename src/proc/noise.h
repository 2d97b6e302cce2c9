#pragma once
// Two families of 2-D noise for the procedural textures:
//  - an integer-lattice hash noise, stateless, with a 3x3 smoothing kernel
//    and a sum over three coarse scales;
//  - a seeded lattice gradient noise over process-wide tables filled from
//    the program's rand().
// All of it is exact to the bit: the precision of every intermediate value
// and the order of operations are part of the contract, because the show's
// textures must come out byte for byte the same everywhere.

#include <array>
#include <cstdint>

namespace tev {

// Hash of the lattice point (x, y) in (-1, 1]. 32-bit wrapping arithmetic.
double latticeNoise(int x, int y);

// Weighted mean of the 3x3 lattice values around (x, y): centre 1/4, sides
// 1/8, corners 1/16. Partial sums are kept in single precision.
float smoothLatticeNoise(int x, int y);

// Sum of |scale * latticeNoise| over the scales 13, 6.5 and 3.25: a whole
// number 0..22. Coordinates whose quotient does not fit an int saturate.
float latticeScaleSum(float x, float y);

// The gradient-noise tables: 256 entries plus 258 repeated ones so that
// chained lookups never need a wrap.
struct GradientNoise {
    static constexpr int kSize = 256;
    static constexpr int kEntries = kSize + kSize + 2;
    std::array<int32_t, kEntries> permutation{};
    std::array<double, kEntries> gradient1{};
    std::array<std::array<double, 2>, kEntries> gradient2{};
    std::array<std::array<double, 3>, kEntries> gradient3{};
};

// The process-wide tables (all zero until seeded).
const GradientNoise& gradientNoiseTables();

// srand(seed), then refills every table from the program's rand(). The 1-D
// and 3-D tables are not read by gradientNoise, but their draws are part of
// the random sequence.
void seedGradientNoise(int seed);

// Gradient noise at (x, y): 0 at every lattice point, period 256. Inputs
// below -4096 are outside the lattice's intended range; they (and values
// too large for an int) still give a defined result.
double gradientNoise(double x, double y);

// Sum of `octaves` octaves, each at twice the frequency and half the
// amplitude of the previous one. 0 when octaves <= 0.
double gradientNoiseSum(double x, double y, int octaves);

}  // namespace tev
