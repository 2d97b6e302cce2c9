#include "gl11/fixed_matrix.h"

#include <cmath>
#include <cstring>

namespace tev::gl11 {

namespace {

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Element at (row, column) of column-major storage.
inline float& at(float* m, int row, int col) {
    return m[col * 4 + row];
}
inline float at(const float* m, int row, int col) {
    return m[col * 4 + row];
}

void multiplyFull(float* product, const float* a, const float* b) {
    float out[16];
    for (int i = 0; i < 4; ++i) {
        const float ai0 = at(a, i, 0), ai1 = at(a, i, 1), ai2 = at(a, i, 2), ai3 = at(a, i, 3);
        for (int j = 0; j < 4; ++j) {
            at(out, i, j) =
                ai0 * at(b, 0, j) + ai1 * at(b, 1, j) + ai2 * at(b, 2, j) + ai3 * at(b, 3, j);
        }
    }
    std::memcpy(product, out, sizeof out);
}

// Both bottom rows (0, 0, 0, 1): Mesa skips their terms, which only tells
// in the sign of a zero.
void multiplyAffine(float* product, const float* a, const float* b) {
    float out[16];
    for (int i = 0; i < 3; ++i) {
        const float ai0 = at(a, i, 0), ai1 = at(a, i, 1), ai2 = at(a, i, 2), ai3 = at(a, i, 3);
        at(out, i, 0) = ai0 * at(b, 0, 0) + ai1 * at(b, 1, 0) + ai2 * at(b, 2, 0);
        at(out, i, 1) = ai0 * at(b, 0, 1) + ai1 * at(b, 1, 1) + ai2 * at(b, 2, 1);
        at(out, i, 2) = ai0 * at(b, 0, 2) + ai1 * at(b, 1, 2) + ai2 * at(b, 2, 2);
        at(out, i, 3) = ai0 * at(b, 0, 3) + ai1 * at(b, 1, 3) + ai2 * at(b, 2, 3) + ai3;
    }
    at(out, 3, 0) = 0;
    at(out, 3, 1) = 0;
    at(out, 3, 2) = 0;
    at(out, 3, 3) = 1;
    std::memcpy(product, out, sizeof out);
}

constexpr unsigned kNot3d = matrix_flag::kGeneral | matrix_flag::kSingular;

void multiplyFlagged(FixedMatrix& matrix, const float* factor, unsigned flags) {
    matrix.flags |= flags;
    if (matrix.flags & kNot3d) {
        multiplyFull(matrix.m, matrix.m, factor);
    } else {
        multiplyAffine(matrix.m, matrix.m, factor);
    }
}

}  // namespace

void loadIdentity(FixedMatrix& matrix) {
    std::memcpy(matrix.m, kIdentity, sizeof kIdentity);
    matrix.flags = 0;
}

void translate(FixedMatrix& matrix, float x, float y, float z) {
    float* m = matrix.m;
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
    matrix.flags |= matrix_flag::kTranslation;
}

void scale(FixedMatrix& matrix, float x, float y, float z) {
    float* m = matrix.m;
    m[0] *= x;
    m[4] *= y;
    m[8] *= z;
    m[1] *= x;
    m[5] *= y;
    m[9] *= z;
    m[2] *= x;
    m[6] *= y;
    m[10] *= z;
    m[3] *= x;
    m[7] *= y;
    m[11] *= z;
    if (std::fabs(x - y) < 1e-8f && std::fabs(x - z) < 1e-8f) {
        matrix.flags |= matrix_flag::kUniformScale;
    } else {
        matrix.flags |= matrix_flag::kGeneralScale;
    }
}

void rotate(FixedMatrix& matrix, float angle, float x, float y, float z) {
    // Mesa: sinf of the angle converted in double, rounded to float.
    const float radians = static_cast<float>(angle * M_PI / 180.0);
    const float s = sinf(radians);
    const float c = cosf(radians);
    float m[16];
    std::memcpy(m, kIdentity, sizeof m);
    bool optimized = false;
    if (x == 0.0f) {
        if (y == 0.0f) {
            if (z != 0.0f) {
                optimized = true;
                at(m, 0, 0) = c;
                at(m, 1, 1) = c;
                at(m, 0, 1) = z < 0.0f ? s : -s;
                at(m, 1, 0) = z < 0.0f ? -s : s;
            }
        } else if (z == 0.0f) {
            optimized = true;
            at(m, 0, 0) = c;
            at(m, 2, 2) = c;
            at(m, 0, 2) = y < 0.0f ? -s : s;
            at(m, 2, 0) = y < 0.0f ? s : -s;
        }
    } else if (y == 0.0f && z == 0.0f) {
        optimized = true;
        at(m, 1, 1) = c;
        at(m, 2, 2) = c;
        at(m, 1, 2) = x < 0.0f ? s : -s;
        at(m, 2, 1) = x < 0.0f ? -s : s;
    }
    if (!optimized) {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) {
            return;
        }
        x /= mag;
        y /= mag;
        z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z;
        const float xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneC = 1.0f - c;
        at(m, 0, 0) = (oneC * xx) + c;
        at(m, 0, 1) = (oneC * xy) - zs;
        at(m, 0, 2) = (oneC * zx) + ys;
        at(m, 1, 0) = (oneC * xy) + zs;
        at(m, 1, 1) = (oneC * yy) + c;
        at(m, 1, 2) = (oneC * yz) - xs;
        at(m, 2, 0) = (oneC * zx) - ys;
        at(m, 2, 1) = (oneC * yz) + xs;
        at(m, 2, 2) = (oneC * zz) + c;
    }
    multiplyFlagged(matrix, m, matrix_flag::kRotation);
}

void ortho(FixedMatrix& matrix, float left, float right, float bottom, float top, float nearVal,
           float farVal) {
    float m[16];
    at(m, 0, 0) = 2.0f / (right - left);
    at(m, 0, 1) = 0.0f;
    at(m, 0, 2) = 0.0f;
    at(m, 0, 3) = -(right + left) / (right - left);
    at(m, 1, 0) = 0.0f;
    at(m, 1, 1) = 2.0f / (top - bottom);
    at(m, 1, 2) = 0.0f;
    at(m, 1, 3) = -(top + bottom) / (top - bottom);
    at(m, 2, 0) = 0.0f;
    at(m, 2, 1) = 0.0f;
    at(m, 2, 2) = -2.0f / (farVal - nearVal);
    at(m, 2, 3) = -(farVal + nearVal) / (farVal - nearVal);
    at(m, 3, 0) = 0.0f;
    at(m, 3, 1) = 0.0f;
    at(m, 3, 2) = 0.0f;
    at(m, 3, 3) = 1.0f;
    multiplyFlagged(matrix, m, matrix_flag::kGeneralScale | matrix_flag::kTranslation);
}

void multiply(FixedMatrix& matrix, const float factor[16]) {
    matrix.flags |= matrix_flag::kGeneral;
    multiplyFull(matrix.m, matrix.m, factor);
}

void product(float out[16], const FixedMatrix& a, const FixedMatrix& b) {
    if ((a.flags | b.flags) & kNot3d) {
        multiplyFull(out, a.m, b.m);
    } else {
        multiplyAffine(out, a.m, b.m);
    }
}

bool isIdentity(const float m[16]) {
    for (int i = 0; i < 16; ++i) {
        if (m[i] != kIdentity[i]) {
            return false;
        }
    }
    return true;
}

namespace {

// The upper 3 x 3 of the inverse, as Mesa's inversion for the matrix's kind
// computes it; false when singular.
bool invert3d(const FixedMatrix& matrix, float* out) {
    using namespace matrix_flag;
    const float* in = matrix.m;
    std::memcpy(out, kIdentity, sizeof kIdentity);
    const unsigned flags = matrix.flags;
    if (flags & kGeneral) {
        // A projective modelview: the general inverse's upper 3 x 3 in
        // double, rounded (Mesa's elimination differs in the last bits).
        double a[3][3];
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                a[r][c] = at(in, r, c);
            }
        }
        const double det = a[0][0] * (a[1][1] * a[2][2] - a[2][1] * a[1][2]) -
                           a[0][1] * (a[1][0] * a[2][2] - a[2][0] * a[1][2]) +
                           a[0][2] * (a[1][0] * a[2][1] - a[2][0] * a[1][1]);
        if (std::fabs(det) < 1e-25) {
            return false;
        }
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                const int r1 = (c + 1) % 3, r2 = (c + 2) % 3;
                const int c1 = (r + 1) % 3, c2 = (r + 2) % 3;
                at(out, r, c) =
                    static_cast<float>((a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det);
            }
        }
        return true;
    }
    if (flags == 0) {
        return true;
    }
    const unsigned noRotation = kTranslation | kUniformScale | kGeneralScale;
    if ((flags & ~noRotation) == 0) {
        // Scales and translations: the reciprocals of the diagonal.
        if (at(in, 0, 0) == 0 || at(in, 1, 1) == 0 || at(in, 2, 2) == 0) {
            return false;
        }
        at(out, 0, 0) = 1.0f / at(in, 0, 0);
        at(out, 1, 1) = 1.0f / at(in, 1, 1);
        at(out, 2, 2) = 1.0f / at(in, 2, 2);
        return true;
    }
    const bool twoD = in[8] == 0.0f && in[9] == 0.0f && in[2] == 0.0f && in[6] == 0.0f &&
                      in[10] == 1.0f && in[14] == 0.0f;
    if (twoD) {
        float det = at(in, 0, 0) * at(in, 1, 1) - at(in, 0, 1) * at(in, 1, 0);
        if (std::fabs(det) < 1e-25f) {
            return false;
        }
        det = 1.0f / det;
        at(out, 0, 0) = at(in, 1, 1) * det;
        at(out, 0, 1) = -at(in, 0, 1) * det;
        at(out, 1, 0) = -at(in, 1, 0) * det;
        at(out, 1, 1) = at(in, 0, 0) * det;
        return true;
    }
    const unsigned anglePreserving = kRotation | kTranslation | kUniformScale;
    if ((flags & ~anglePreserving) == 0) {
        float s = 1.0f;
        if (flags & kUniformScale) {
            s = at(in, 0, 0) * at(in, 0, 0) + at(in, 0, 1) * at(in, 0, 1) +
                at(in, 0, 2) * at(in, 0, 2);
            if (s == 0.0f) {
                return false;
            }
            s = 1.0f / s;
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) {
                    at(out, r, c) = s * at(in, c, r);
                }
            }
        } else if (flags & kRotation) {
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) {
                    at(out, r, c) = at(in, c, r);
                }
            }
        }
        return true;
    }
    // The general affine inverse: cofactors over a determinant summed as
    // positive and negative parts.
    float pos = 0.0f, neg = 0.0f, t;
    auto add = [&](float v) {
        if (v >= 0.0f) {
            pos += v;
        } else {
            neg += v;
        }
    };
    t = at(in, 0, 0) * at(in, 1, 1) * at(in, 2, 2);
    add(t);
    t = at(in, 1, 0) * at(in, 2, 1) * at(in, 0, 2);
    add(t);
    t = at(in, 2, 0) * at(in, 0, 1) * at(in, 1, 2);
    add(t);
    t = -at(in, 2, 0) * at(in, 1, 1) * at(in, 0, 2);
    add(t);
    t = -at(in, 1, 0) * at(in, 0, 1) * at(in, 2, 2);
    add(t);
    t = -at(in, 0, 0) * at(in, 2, 1) * at(in, 1, 2);
    add(t);
    float det = pos + neg;
    if (std::fabs(det) < 1e-25f) {
        return false;
    }
    det = 1.0f / det;
    at(out, 0, 0) = ((at(in, 1, 1) * at(in, 2, 2) - at(in, 2, 1) * at(in, 1, 2)) * det);
    at(out, 0, 1) = (-(at(in, 0, 1) * at(in, 2, 2) - at(in, 2, 1) * at(in, 0, 2)) * det);
    at(out, 0, 2) = ((at(in, 0, 1) * at(in, 1, 2) - at(in, 1, 1) * at(in, 0, 2)) * det);
    at(out, 1, 0) = (-(at(in, 1, 0) * at(in, 2, 2) - at(in, 2, 0) * at(in, 1, 2)) * det);
    at(out, 1, 1) = ((at(in, 0, 0) * at(in, 2, 2) - at(in, 2, 0) * at(in, 0, 2)) * det);
    at(out, 1, 2) = (-(at(in, 0, 0) * at(in, 1, 2) - at(in, 1, 0) * at(in, 0, 2)) * det);
    at(out, 2, 0) = ((at(in, 1, 0) * at(in, 2, 1) - at(in, 2, 0) * at(in, 1, 1)) * det);
    at(out, 2, 1) = (-(at(in, 0, 0) * at(in, 2, 1) - at(in, 2, 0) * at(in, 0, 1)) * det);
    at(out, 2, 2) = ((at(in, 0, 0) * at(in, 1, 1) - at(in, 1, 0) * at(in, 0, 1)) * det);
    return true;
}

}  // namespace

void normalRows(const FixedMatrix& matrix, float rows[9]) {
    float inverse[16];
    if (!invert3d(matrix, inverse)) {
        std::memcpy(inverse, kIdentity, sizeof kIdentity);
    }
    // Row i of the inverse-transpose is column i of the inverse.
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            rows[i * 3 + j] = at(inverse, j, i);
        }
    }
}

}  // namespace tev::gl11
