// The matrix arithmetic the built stream decides by: column-major as GL
// lays it out, products in GL's order, and the same bits for the same
// inputs however a caller reaches them.

#include "draw/matrix4.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tev {
namespace {

// Column-major: element (row, col) at col * 4 + row.
Matrix4 fromRows(const double rows[4][4]) {
    Matrix4 r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col)
            r.m[col * 4 + row] = rows[row][col];
    }
    return r;
}

bool sameBits(const double* a, const double* b, int count) {
    return std::memcmp(a, b, sizeof(double) * count) == 0;
}

const double kA[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
const double kB[4][4] = {{0.5, -1, 0, 2}, {3, 0.25, -2, 1}, {0, 1, 4, -3}, {1, 0, 0, 1}};

TEST(Matrix4, ProductIsRowsTimesColumnsInGlLayout) {
    const Matrix4 product = fromRows(kA) * fromRows(kB);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            double expected = 0;
            for (int k = 0; k < 4; ++k)
                expected += kA[row][k] * kB[k][col];
            EXPECT_EQ(product.m[col * 4 + row], expected) << row << ", " << col;
        }
    }
    // The identity it starts as changes nothing, from either side.
    const Matrix4 a = fromRows(kA);
    EXPECT_TRUE(sameBits((Matrix4{} * a).m, a.m, 16));
    EXPECT_TRUE(sameBits((a * Matrix4{}).m, a.m, 16));
}

TEST(Matrix4, TransformAppliesTheMatrixToAPointWithWOne) {
    const Matrix4 a = fromRows(kA);
    double out[4];
    a.transform(0.5, -2.0, 3.0, out);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(out[row], kA[row][0] * 0.5 - kA[row][1] * 2.0 + kA[row][2] * 3.0 + kA[row][3]);
    // A point transformed by a product lands where the two transforms,
    // one after the other, take it (exactly, with these small integers).
    const Matrix4 b = fromRows(kB);
    double viaB[4], twice[4], once[4];
    b.transform(1.0, 2.0, -1.0, viaB);
    ASSERT_EQ(viaB[3], 2.0);
    a.transform(viaB[0] / 2.0, viaB[1] / 2.0, viaB[2] / 2.0, twice);
    (a * b).transform(1.0, 2.0, -1.0, once);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(once[row], 2.0 * twice[row]);
}

TEST(Matrix4, ThePlaneTransformIsTheSpaceOneAtZZero) {
    const float projection[16] = {1.299f, 0, 0,       0,  0, 1.732f, 0,       0,
                                  0,      0, -1.002f, -1, 0, 0,      -2.002f, 0};
    const float modelview[16] = {0.98f, 0.17f,  -0.1f, 0, -0.17f, 0.98f, 0.03f,  0,
                                 0.1f,  -0.01f, 0.99f, 0, 3.5f,   -5.0f, -40.0f, 1};
    const Matrix4 m = clipMatrix(projection, modelview);
    for (double x : {0.0, 16.0, -7.25, 123.5}) {
        for (double y : {0.0, 16.0, 3.75}) {
            double plane[4], space[4];
            m.transform(x, y, plane);
            m.transform(x, y, 0.0, space);
            EXPECT_TRUE(sameBits(plane, space, 4)) << x << ", " << y;
        }
    }
}

TEST(Matrix4, ClipMatrixWidensGlsFloatsExactly) {
    const float projection[16] = {0.1f, 0, 0, 0, 0, 0.2f, 0, 0, 0, 0, -1.0001f, -1, 0, 0, -0.3f, 0};
    float modelview[16] = {};
    modelview[0] = modelview[5] = modelview[10] = modelview[15] = 1.0f;
    const Matrix4 m = clipMatrix(projection, modelview);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.m[i], static_cast<double>(projection[i])) << i;
}

}  // namespace
}  // namespace tev
