#include "draw/matrix4.h"

#include "gl11/gl11.h"

namespace tev {

Matrix4 Matrix4::widened(const float values[16]) {
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = values[i];
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& b) const {
    Matrix4 r;
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    }
    return r;
}

void Matrix4::transform(double x, double y, double z, double out[4]) const {
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void Matrix4::transform(double x, double y, double out[4]) const {
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * x + m[4 + row] * y + m[12 + row];
}

Matrix4 clipMatrix(const float projection[16], const float modelview[16]) {
    return Matrix4::widened(projection) * Matrix4::widened(modelview);
}

Matrix4 currentClipMatrix() {
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    return clipMatrix(projection, modelview);
}

}  // namespace tev
