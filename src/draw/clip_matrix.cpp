#include "draw/clip_matrix.h"

#include <GL/gl.h>

namespace tev {

void clipMatrix(const float projection[16], const float modelview[16], double out[16]) {
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += double(projection[k * 4 + row]) * modelview[col * 4 + k];
            out[col * 4 + row] = sum;
        }
    }
}

void currentClipMatrix(double out[16]) {
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    clipMatrix(projection, modelview, out);
}

}  // namespace tev
