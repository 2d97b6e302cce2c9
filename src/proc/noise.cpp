#include "proc/noise.h"

#include <cmath>
#include <cstdlib>

#include "proc/crt_random.h"
#include "proc/exact_math.h"

namespace tev {

double latticeNoise(int x, int y) {
    // Unsigned so that the hash wraps modulo 2^32 as it relies on.
    uint32_t n = static_cast<uint32_t>(x) + 57u * static_cast<uint32_t>(y);
    n ^= n << 13;
    const uint32_t m = (n * (n * n * 15731u + 789221u) - 771171059u) & 0x7fffffffu;
    return 1.0 - static_cast<double>(m) * 0x1p-30;
}

float smoothLatticeNoise(int x, int y) {
    // The accumulators are single precision: each double term is added to
    // the float and the sum rounded again.
    float corners = static_cast<float>(latticeNoise(x + 1, y + 1));
    corners = static_cast<float>(corners + latticeNoise(x - 1, y + 1));
    corners = static_cast<float>(corners + latticeNoise(x + 1, y - 1));
    corners = static_cast<float>(corners + latticeNoise(x - 1, y - 1));
    float sides = static_cast<float>(latticeNoise(x, y + 1));
    sides = static_cast<float>(sides + latticeNoise(x, y - 1));
    sides = static_cast<float>(sides + latticeNoise(x + 1, y));
    sides = static_cast<float>(sides + latticeNoise(x - 1, y));
    const float centre = static_cast<float>(latticeNoise(x, y) * 0.25);
    const float sideTerm = static_cast<float>(sides * 0.125);
    const float cornerTerm = static_cast<float>(corners * 0.0625);
    const float partial = centre + sideTerm;
    return partial + cornerTerm;
}

float latticeScaleSum(float x, float y) {
    float sum = 0.0f;
    float scale = 13.0f;
    do {
        const int ix = truncToInt(x / scale);
        const int iy = truncToInt(y / scale);
        const int v = truncToInt(scale * latticeNoise(ix, iy));
        sum += static_cast<float>(std::abs(v));
        scale *= 0.5f;
    } while (scale > 2.0f);
    return sum;
}

namespace {

GradientNoise tables;

double draw() {
    const int r = tev::rand() % 512 - 256;
    return r * 0.00390625;
}

}  // namespace

const GradientNoise& gradientNoiseTables() {
    return tables;
}

void seedGradientNoise(int seed) {
    tev::srand(static_cast<uint32_t>(seed));
    for (int i = 0; i < GradientNoise::kSize; ++i) {
        tables.permutation[i] = i;
        tables.gradient1[i] = draw();

        const double gx = draw();
        const double gy = draw();
        const double len2 = std::sqrt(gx * gx + gy * gy);
        if (len2 >= 0.00001) {
            tables.gradient2[i] = {gx / len2, gy / len2};
        } else {
            tables.gradient2[i] = {0.0, 0.0};
        }

        double vx, vy, vz, squared;
        do {
            vx = draw();
            vy = draw();
            vz = draw();
            squared = vx * vx + vy * vy + vz * vz;
        } while (squared > 1.0);
        const double len3 = std::sqrt(squared);
        if (len3 >= 0.00001) {
            tables.gradient3[i] = {vx / len3, vy / len3, vz / len3};
        } else {
            tables.gradient3[i] = {0.0, 0.0, 0.0};
        }
    }
    for (int i = GradientNoise::kSize - 1; i > 0; --i) {
        const int j = tev::rand() % GradientNoise::kSize;
        std::swap(tables.permutation[i], tables.permutation[j]);
    }
    // In order: entries 512 and 513 repeat 256 and 257, written just before.
    for (int k = 0; k < GradientNoise::kSize + 2; ++k) {
        tables.permutation[GradientNoise::kSize + k] = tables.permutation[k];
        tables.gradient1[GradientNoise::kSize + k] = tables.gradient1[k];
        tables.gradient2[GradientNoise::kSize + k] = tables.gradient2[k];
        tables.gradient3[GradientNoise::kSize + k] = tables.gradient3[k];
    }
}

double gradientNoise(double x, double y) {
    constexpr double kOffset = 4096.0;
    const double tx = x + kOffset;
    const int ix = truncToInt(tx);
    const int bx0 = ix & 255;
    const int bx1 = (bx0 + 1) & 255;
    const double rx0 = tx - ix;
    const double rx1 = rx0 - 1.0;

    const double ty = y + kOffset;
    const int iy = truncToInt(ty);
    const int by0 = iy & 255;
    const int by1 = (by0 + 1) & 255;
    const double ry0 = ty - iy;
    const double ry1 = ry0 - 1.0;

    // Permutation entries are 0..255, so every index stays below 511.
    const auto& p = tables.permutation;
    const int i = p[bx0];
    const int j = p[bx1];
    const int b00 = p[i + by0];
    const int b10 = p[j + by0];
    const int b01 = p[i + by1];
    const int b11 = p[j + by1];

    const double sx = rx0 * rx0 * (3 - 2 * rx0);
    const double sy = ry0 * ry0 * (3 - 2 * ry0);

    const auto& g = tables.gradient2;
    double u = rx0 * g[b00][0] + ry0 * g[b00][1];
    double v = rx1 * g[b10][0] + ry0 * g[b10][1];
    const double a = u + sx * (v - u);
    u = rx0 * g[b01][0] + ry1 * g[b01][1];
    v = rx1 * g[b11][0] + ry1 * g[b11][1];
    const double b = u + sx * (v - u);
    return a + sy * (b - a);
}

double gradientNoiseSum(double x, double y, int octaves) {
    if (octaves == 1) return gradientNoise(x, y);
    double sum = 0.0;
    double amplitude = 1.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += gradientNoise(x, y) * amplitude;
        x *= 2.0;
        y *= 2.0;
        amplitude *= 0.5;
    }
    return sum;
}

}  // namespace tev
