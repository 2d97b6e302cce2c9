// The offscreen picture a fullscreen window draws into: its pixel format,
// the scaling onto a larger drawable between black bars, exact pixels at
// the same size, and the GL state present() must leave as it found it.

#include "platform/native/offscreen_picture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/native/headless_gl.h"

namespace tev::platform {
namespace {

TEST(PlacePicture, KeepsTheShapeCentredAsLargeAsFits) {
    auto place = [](int pw, int ph, int dw, int dh) {
        const Placement p = placePicture(pw, ph, dw, dh);
        return std::vector<int>{p.x, p.y, p.width, p.height};
    };
    // Bars left and right: 4:3 on 16:9, from both sizes the show offers.
    EXPECT_EQ(place(800, 600, 1920, 1080), (std::vector<int>{240, 0, 1440, 1080}));
    EXPECT_EQ(place(640, 480, 1920, 1080), (std::vector<int>{240, 0, 1440, 1080}));
    EXPECT_EQ(place(800, 600, 1366, 768), (std::vector<int>{171, 0, 1024, 768}));
    // Bars above and below: 4:3 on 5:4.
    EXPECT_EQ(place(800, 600, 1280, 1024), (std::vector<int>{0, 32, 1280, 960}));
    // No bars: the same shape, larger or the same size.
    EXPECT_EQ(place(640, 480, 1600, 1200), (std::vector<int>{0, 0, 1600, 1200}));
    EXPECT_EQ(place(800, 600, 800, 600), (std::vector<int>{0, 0, 800, 600}));
    // A drawable smaller than the picture scales it down the same way.
    EXPECT_EQ(place(800, 600, 400, 400), (std::vector<int>{0, 50, 400, 300}));
    // Nothing to place on or from.
    EXPECT_EQ(place(800, 600, 0, 1080), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(place(0, 600, 1920, 1080), (std::vector<int>{0, 0, 0, 0}));
}

class OffscreenPictureGl : public ::testing::Test {
  protected:
    // A drawable of this size with a 40 x 30 picture bound.
    void make(int drawableWidth, int drawableHeight, int bits = 32) {
        std::string error;
        gl = HeadlessGl::create(drawableWidth, drawableHeight, &error);
        ASSERT_TRUE(gl) << error;
        picture = OffscreenPicture::create(kWidth, kHeight, bits, &error);
        ASSERT_TRUE(picture) << error;
    }
    void TearDown() override {
        picture.reset();
        gl.reset();
    }

    // Left half of the picture red, right half green.
    void paintHalves() {
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, kWidth / 2, kHeight);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(kWidth / 2, 0, kWidth / 2, kHeight);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }

    // The drawable's pixel (x, y), y counted from the top.
    std::vector<uint8_t> drawablePixel(int x, int y) const {
        std::vector<uint8_t> rgb;
        picture->readDrawable(gl->width(), gl->height(), rgb);
        const size_t at = (static_cast<size_t>(y) * gl->width() + x) * 3;
        return {rgb[at], rgb[at + 1], rgb[at + 2]};
    }

    static constexpr int kWidth = 40;
    static constexpr int kHeight = 30;
    const std::vector<uint8_t> black{0, 0, 0}, red{255, 0, 0}, green{0, 255, 0};
    std::unique_ptr<HeadlessGl> gl;
    std::unique_ptr<OffscreenPicture> picture;
};

TEST_F(OffscreenPictureGl, HasTheColourDepthAskedForAndSixteenDepthBits) {
    make(64, 48, 16);
    int bits[3] = {};
    picture->colourBits(bits);
    EXPECT_EQ(std::vector<int>(bits, bits + 3), (std::vector<int>{5, 6, 5}));
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_EQ(depth, 16);

    picture = OffscreenPicture::create(kWidth, kHeight, 32, nullptr);
    ASSERT_TRUE(picture);
    picture->colourBits(bits);
    EXPECT_EQ(std::vector<int>(bits, bits + 3), (std::vector<int>{8, 8, 8}));
}

TEST_F(OffscreenPictureGl, TheShowDrawsIntoThePictureNotTheDrawable) {
    make(64, 48);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<uint8_t> rgb;
    picture->readPixels(rgb);
    ASSERT_EQ(rgb.size(), size_t{kWidth * kHeight * 3});
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 3), red);
    EXPECT_EQ(drawablePixel(32, 24), black);  // nothing presented yet
}

TEST_F(OffscreenPictureGl, ScalesBetweenBarsLeftAndRight) {
    make(200, 100);  // the picture lands as 133 x 100 at x = 33
    paintHalves();
    picture->present(200, 100);
    for (int y : {0, 50, 99}) {
        EXPECT_EQ(drawablePixel(0, y), black);
        EXPECT_EQ(drawablePixel(32, y), black);
        EXPECT_EQ(drawablePixel(40, y), red);
        EXPECT_EQ(drawablePixel(95, y), red);
        EXPECT_EQ(drawablePixel(104, y), green);
        EXPECT_EQ(drawablePixel(160, y), green);
        EXPECT_EQ(drawablePixel(166, y), black);
        EXPECT_EQ(drawablePixel(199, y), black);
    }
    // Linearly filtered where the halves meet: a blend, not a hard step.
    const auto middle = drawablePixel(99, 50);
    EXPECT_GT(middle[0], 0);
    EXPECT_GT(middle[1], 0);
}

TEST_F(OffscreenPictureGl, ScalesBetweenBarsAboveAndBelow) {
    make(100, 200);  // the picture lands as 100 x 75 at y = 62
    paintHalves();
    picture->present(100, 200);
    EXPECT_EQ(drawablePixel(10, 0), black);
    EXPECT_EQ(drawablePixel(10, 61), black);
    EXPECT_EQ(drawablePixel(10, 63), red);
    EXPECT_EQ(drawablePixel(90, 136), green);
    EXPECT_EQ(drawablePixel(90, 138), black);
    EXPECT_EQ(drawablePixel(90, 199), black);
}

TEST_F(OffscreenPictureGl, AtTheSameSizeEveryPixelComesThroughAsItIs) {
    make(kWidth, kHeight);
    // Every pixel a different colour, one point each.
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_POINTS);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int i = y * kWidth + x;
            glColor3ub(static_cast<GLubyte>(i * 7), static_cast<GLubyte>(i * 13 / 7),
                       static_cast<GLubyte>(255 - i % 256));
            glVertex2f(x + 0.5f, y + 0.5f);
        }
    }
    glEnd();
    std::vector<uint8_t> drawn, shown;
    picture->readPixels(drawn);
    // Top row first: the last row drawn (y up) comes first.
    const int topLeft = (kHeight - 1) * kWidth;
    EXPECT_EQ(std::vector<uint8_t>(drawn.begin(), drawn.begin() + 3),
              (std::vector<uint8_t>{static_cast<uint8_t>(topLeft * 7),
                                    static_cast<uint8_t>(topLeft * 13 / 7),
                                    static_cast<uint8_t>(255 - topLeft % 256)}));
    picture->present(kWidth, kHeight);
    picture->readDrawable(kWidth, kHeight, shown);
    EXPECT_EQ(shown, drawn);
    std::vector<uint8_t> bottomFirst;
    picture->readPixels(bottomFirst, false);
    EXPECT_EQ(std::vector<uint8_t>(bottomFirst.begin(), bottomFirst.begin() + 3),
              (std::vector<uint8_t>{0, 0, 255}));
}

TEST_F(OffscreenPictureGl, UpIsUpOnTheDrawable) {
    make(200, 100);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glRectf(-1, 0, 1, 1);  // the upper half red
    picture->present(200, 100);
    EXPECT_EQ(drawablePixel(100, 10), red);
    EXPECT_EQ(drawablePixel(100, 90), green);
}

TEST_F(OffscreenPictureGl, PresentLeavesTheShowsStateAsItFoundIt) {
    make(200, 100);
    paintHalves();
    // State a frame may leave for the next, some of it in the way of a
    // clear or a blit.
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(1, 2, 3, 4);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -1, 1, -3, 3);
    GLint framebuffer = 0, readFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    ASSERT_NE(framebuffer, 0);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);

    picture->present(200, 100);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4], viewport[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{1, 2, 3, 4}));
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(std::vector<int>(mask, mask + 4), (std::vector<int>{1, 0, 1, 0}));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<int>(viewport, viewport + 4), (std::vector<int>{0, 0, kWidth, kHeight}));
    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::vector<float>(after, after + 16),
              std::vector<float>(projection, projection + 16));
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_PROJECTION);
    GLint drawAfter = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawAfter);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    EXPECT_EQ(drawAfter, framebuffer);
    EXPECT_EQ(readFramebuffer, framebuffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Neither the scissor box nor the colour mask kept the bars or the
    // picture from the drawable.
    EXPECT_EQ(drawablePixel(10, 50), black);
    EXPECT_EQ(drawablePixel(40, 10), red);
    EXPECT_EQ(drawablePixel(160, 90), green);
}

TEST_F(OffscreenPictureGl, GoingBindsTheDrawableAgain) {
    make(64, 48);
    picture.reset();
    GLint framebuffer = -1, origin = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    glGetIntegerv(GL_CLIP_ORIGIN, &origin);
    EXPECT_EQ(origin, GL_LOWER_LEFT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace tev::platform
