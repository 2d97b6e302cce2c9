#pragma once
// GL tests run in a real Mesa context without any X server.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/native/headless_gl.h"

namespace tev::test {

class GlTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The colour at window pixel (x, y), y counted from the top.
    std::vector<uint8_t> pixelAt(int x, int y) const;

    std::unique_ptr<platform::HeadlessGl> gl;
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 128;
};

// One vertex as GL feedback reports it, mapped back to object coordinates
// (the capture sets a projection that makes that exact).
struct FeedbackVertex {
    float x, y, z;
    float s, t;
};

struct FeedbackPolygon {
    std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in feedback mode under an identity modelview and a projection
// that maps object coordinates within +-1000 one to one onto the window.
// Restores both matrices and the viewport afterwards.
std::vector<FeedbackPolygon> captureFeedback(const std::function<void()>& draw);

// All vertices of the captured polygons, in order.
std::vector<FeedbackVertex> flatten(const std::vector<FeedbackPolygon>& polygons);

// The 16 values of a matrix, e.g. GL_PROJECTION_MATRIX.
std::vector<double> matrix(GLenum which);

}  // namespace tev::test
