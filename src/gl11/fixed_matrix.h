#pragma once
// 4 x 4 matrices computed in float exactly as Mesa's fixed-function
// pipeline computes them (column-major, as GL stores them): which pixels a
// quad covers follows from these values, so every operation keeps Mesa's
// order of arithmetic and its choice between the full and the affine product.

namespace tev::gl11 {

struct FixedMatrix {
    float m[16];
    // What has been multiplied in since the last load (Mesa's flags: the
    // product skips the bottom row only while every factor was affine).
    unsigned flags = 0;
};

namespace matrix_flag {
constexpr unsigned kRotation = 1u << 0;
constexpr unsigned kTranslation = 1u << 1;
constexpr unsigned kUniformScale = 1u << 2;
constexpr unsigned kGeneralScale = 1u << 3;
constexpr unsigned kGeneral = 1u << 4;  // glMultMatrix: any projective matrix
constexpr unsigned kSingular = 1u << 5;
}  // namespace matrix_flag

void loadIdentity(FixedMatrix& matrix);
void translate(FixedMatrix& matrix, float x, float y, float z);
void scale(FixedMatrix& matrix, float x, float y, float z);
// glRotatef with Mesa's special cases for rotations about one axis; an axis
// shorter than 1e-4 leaves the matrix as it is.
void rotate(FixedMatrix& matrix, float angle, float x, float y, float z);
void ortho(FixedMatrix& matrix, float left, float right, float bottom, float top, float nearVal,
           float farVal);
// glMultMatrixf: the full product.
void multiply(FixedMatrix& matrix, const float factor[16]);
// a * b, e.g. projection * modelview.
void product(float out[16], const FixedMatrix& a, const FixedMatrix& b);
bool isIdentity(const float m[16]);
// The rows of the inverse-transpose of the upper 3 x 3 (normals to eye
// space), inverted as Mesa inverts the matrix for its kind; identity when
// it is singular.
void normalRows(const FixedMatrix& matrix, float rows[9]);

}  // namespace tev::gl11
