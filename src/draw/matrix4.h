#pragma once
// 4 x 4 matrices in double precision, column-major as GL lays out its own,
// for deciding ahead of a draw where it lands. Every product and transform
// sums in one fixed order (the k-th term first, k from 0 up), so the same
// inputs give the same bits wherever they are computed.

namespace tev {

struct Matrix4 {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // GL's single-precision matrix, each value widened exactly.
    static Matrix4 widened(const float values[16]);

    // this * b.
    Matrix4 operator*(const Matrix4& b) const;

    // this * (x, y, z, 1).
    void transform(double x, double y, double z, double out[4]) const;
    // this * (x, y, 0, 1): the z column takes no part in the sums.
    void transform(double x, double y, double out[4]) const;
};

// The matrix that takes object coordinates to clip coordinates:
// projection * modelview, both as GL gives them.
Matrix4 clipMatrix(const float projection[16], const float modelview[16]);

// The same for GL's current projection and modelview.
Matrix4 currentClipMatrix();

}  // namespace tev
