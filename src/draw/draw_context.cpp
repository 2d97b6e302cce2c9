#include "draw/draw_context.h"

namespace tev {

bool DrawContext::sendsGeometry(float alpha) {
    // With alpha <= 0 the blend leaves the destination exactly as it was.
    if (literal() || (alpha > 0.0f && !coveredLater)) return true;
    ++counts.skippedGeometry;
    return false;
}

}  // namespace tev
