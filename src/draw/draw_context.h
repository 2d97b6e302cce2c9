#pragma once
// The built stream: what the show sends to GL, and the context its draws
// decide by.
//
// The show can send a frame two ways. The literal stream sends every draw
// as the timeline describes it. The built stream, the one the show plays,
// sends every state change, matrix operation and random draw of the literal
// one in the same order, so that later draws and later frames find exactly
// the same state, and leaves out or cheapens only what provably changes no
// pixel:
// - the geometry of a draw that can change no pixel: one drawn with
//   alpha <= 0 under blending with the depth test off, or one that a later
//   draw of the same frame covers completely at full opacity (the timeline
//   knows when: `coveredLater`). A left-out draw still leaves the current
//   texture coordinate and normal its last vertex would have left
//   (scenes/primitives.h);
// - the glyphs of a text that lie outside the view or are blank, and the
//   fragments of a large glyph outside the box around its ink
//   (assets/bitmap_font.h);
// - the mipmap branch for quads that no fragment minifies
//   (magnified_draw.h);
// - blending under a square that replaces every pixel, and the depth clear
//   of a frame that tests no depth (show/timeline.cpp, show/overlays.cpp).
// Both give the same frames, pixel for pixel: the GL test
// built_vs_literal_gl_test draws every frame of the show both ways from the
// same state, and `tev-bench --compare` counts the pixels that differ.
//
// A DrawContext carries what the draws of a frame decide by, and counts
// what the built stream left out. The show owns the one it draws with
// (show/show_state.h) and hands it to every block; below the show, the
// scenes, the font and the pieces in draw/ take it as an argument and keep
// none of it.

#include <cstdint>

namespace tev {

enum class GlStream { Built, Literal };

// What the built stream left out or sent more cheaply (for tests and the
// benchmark).
struct DrawCounts {
    uint64_t skippedGeometry = 0;      // draws whose geometry was left out
    uint64_t scissoredGlyphs = 0;      // glyphs drawn within the box around their ink
    uint64_t linearMinifiedQuads = 0;  // quads sent with GL_LINEAR minification

    bool operator==(const DrawCounts&) const = default;
};

struct DrawContext {
    GlStream stream = GlStream::Built;
    // The drawable has its clip origin at the upper left (an offscreen
    // picture drawn that way, platform/native/offscreen_picture.h): window y counts
    // down from the top, which matters to whoever turns a draw's corners
    // into a scissor box. Fixed for a display cycle.
    bool clipOriginUpperLeft = false;
    // Set by the timeline while every pixel that the frame's draws make so
    // far will be painted over, at full opacity, by a later draw of the same
    // frame.
    bool coveredLater = false;
    DrawCounts counts;

    bool literal() const { return stream == GlStream::Literal; }

    // Whether a draw of opacity `alpha`, blended with GL_SRC_ALPHA and the
    // depth test off, must send its geometry. Counts the draws left out.
    bool sendsGeometry(float alpha);
    // The same for a draw that changes pixels whatever its alpha (only a
    // later cover can hide it).
    bool sendsGeometry() { return sendsGeometry(1.0f); }
};

}  // namespace tev
