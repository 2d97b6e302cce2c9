// What a draw decides by: the built stream leaves out the geometry of a
// draw that can change no pixel, and counts it; the literal one never does.

#include "draw/draw_context.h"

#include <gtest/gtest.h>

namespace tev {
namespace {

TEST(DrawContext, TheBuiltStreamLeavesOutInvisibleOrCoveredDrawsAndCountsThem) {
    DrawContext context;
    EXPECT_TRUE(context.sendsGeometry(0.01f));
    EXPECT_TRUE(context.sendsGeometry());
    EXPECT_FALSE(context.sendsGeometry(0.0f));
    EXPECT_FALSE(context.sendsGeometry(-0.3f));
    EXPECT_EQ(context.counts.skippedGeometry, 2u);

    context.coveredLater = true;  // whatever its alpha, a covered draw goes
    EXPECT_FALSE(context.sendsGeometry(1.0f));
    EXPECT_FALSE(context.sendsGeometry());
    EXPECT_EQ(context.counts.skippedGeometry, 4u);
    EXPECT_EQ(context.counts.scissoredGlyphs, 0u);
    EXPECT_EQ(context.counts.linearMinifiedQuads, 0u);
}

TEST(DrawContext, TheLiteralStreamSendsEveryDraw) {
    DrawContext context;
    context.stream = GlStream::Literal;
    context.coveredLater = true;
    EXPECT_TRUE(context.literal());
    EXPECT_TRUE(context.sendsGeometry(0.0f));
    EXPECT_TRUE(context.sendsGeometry(-1.0f));
    EXPECT_TRUE(context.sendsGeometry());
    EXPECT_EQ(context.counts, DrawCounts{});
}

}  // namespace
}  // namespace tev
