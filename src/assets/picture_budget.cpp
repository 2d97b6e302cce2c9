#include "assets/picture_budget.h"

#include "gl11/gl11.h"

namespace tev {

void PictureBudget::restart(int32_t largestSide, size_t totalBytes) {
    largestSide_ = largestSide;
    total_ = totalBytes;
    spent_ = 0;
}

bool PictureBudget::fits(int64_t width, int64_t height, size_t bytes) const {
    return width <= largestSide_ && height <= largestSide_ && spent_ <= total_ &&
           bytes <= total_ - spent_;
}

PictureBudget& pictureBudget() {
    static PictureBudget budget;
    return budget;
}

void startPictureCycle() {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    pictureBudget().restart(side > 0 ? side : kDefaultLargestSide);
}

}  // namespace tev
