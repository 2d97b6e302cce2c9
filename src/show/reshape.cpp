#include "show/reshape.h"

#include "draw/projection.h"
#include "gl11/gl11.h"

namespace tev {

void reshape(int width, int height) {
    if (height == 0) height = 1;  // a zero-height window would divide by zero
    glViewport(0, 0, width, height);
    loadPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 100.0);
}

}  // namespace tev
