#pragma once
// What the show sends for a draw whose geometry can change no pixel: one
// drawn with alpha <= 0 under blending with the depth test off, or one that
// a later draw of the same frame covers completely.
//
// The built show keeps every state change, matrix operation and random draw
// of such a draw, so that later draws and later frames are unchanged, and
// leaves out only its vertices. The literal stream sends every draw exactly
// as written; the benchmark and the tests compare the two.

#include <cstdint>

namespace tev {

// False (the default): the built show. True: the literal GL stream.
extern bool literalGlStream;

// Set by the timeline while every pixel that the frame's draws make so far
// will be painted over, at full opacity, by a later draw of the same frame.
extern bool frameCoveredLater;

// Whether a draw of opacity `alpha`, blended with GL_SRC_ALPHA and the depth
// test off, must send its geometry. Counts the draws left out.
bool sendsGeometry(float alpha);

// The same for a draw that changes pixels whatever its alpha (only a later
// cover can hide it).
inline bool sendsGeometry() {
    return sendsGeometry(1.0f);
}

// Counts draws left out by a decision of their own (a glyph outside the view).
void noteSkippedGeometry(uint64_t count);

// Draws whose geometry was left out since the program started.
uint64_t skippedGeometryCount();

// Counts glyphs the built show drew within the scissor box around their ink
// (a counter for tests and benchmarks).
void noteScissoredGlyph();
uint64_t scissoredGlyphCount();

}  // namespace tev
