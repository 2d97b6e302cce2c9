#include "draw/gl_stream.h"

namespace tev {

bool literalGlStream = false;
bool frameCoveredLater = false;

namespace {
uint64_t skipped = 0;
uint64_t scissored = 0;
}  // namespace

bool sendsGeometry(float alpha) {
    // With alpha <= 0 the blend leaves the destination exactly as it was.
    if (literalGlStream || (alpha > 0.0f && !frameCoveredLater)) return true;
    ++skipped;
    return false;
}

void noteSkippedGeometry(uint64_t count) {
    skipped += count;
}

uint64_t skippedGeometryCount() {
    return skipped;
}

void noteScissoredGlyph() {
    ++scissored;
}

uint64_t scissoredGlyphCount() {
    return scissored;
}

}  // namespace tev
