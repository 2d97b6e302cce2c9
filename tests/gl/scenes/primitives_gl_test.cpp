#include "scenes/primitives.h"

#include <GL/gl.h>

#include "gl_test.h"

namespace tev {
namespace {

class Primitives : public test::GlTest {
  protected:
    DrawContext context;  // the built stream, as the show draws by default
};
using test::captureFeedback;
using test::FeedbackVertex;
using test::flatten;

struct Expected {
    float x, y, z, s, t;
};

void expectVertices(const std::vector<FeedbackVertex>& got, const std::vector<Expected>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("vertex " + std::to_string(i));
        EXPECT_NEAR(got[i].x, want[i].x, 1e-3);
        EXPECT_NEAR(got[i].y, want[i].y, 1e-3);
        EXPECT_NEAR(got[i].z, want[i].z, 1e-2);
        EXPECT_NEAR(got[i].s, want[i].s, 1e-5);
        EXPECT_NEAR(got[i].t, want[i].t, 1e-5);
    }
}

// Mesa reports a quad as two triangles, (0, 1, 3) and (1, 2, 3) of its
// corners, which fixes the order the corners were emitted in.
std::vector<Expected> quadAsTriangles(const std::vector<Expected>& corners) {
    return {corners[0], corners[1], corners[3], corners[1], corners[2], corners[3]};
}

std::vector<FeedbackVertex> quadsOf(const std::function<void()>& emit) {
    return flatten(captureFeedback([&] {
        glBegin(GL_QUADS);
        emit();
        glEnd();
    }));
}

TEST_F(Primitives, TexturedQuadScrollsItsCoordinates) {
    const auto got = quadsOf([] { texturedQuad(0.25f, 0.5f, 10.0f, -3.0f); });
    expectVertices(got, quadAsTriangles({{-10, 10, -3, 0.25f, 0.5f},
                                         {10, 10, -3, 1.25f, 0.5f},
                                         {10, -10, -3, 1.25f, 1.5f},
                                         {-10, -10, -3, 0.25f, 1.5f}}));
}

TEST_F(Primitives, TiledQuadRepeatsItsTexture) {
    const auto got = quadsOf([] { tiledQuad(4.0f, 3.0f, 2.0f, 1.0f); });
    expectVertices(
        got,
        quadAsTriangles({{-2, 2, 1, 0, 0}, {2, 2, 1, 4, 0}, {2, -2, 1, 4, 3}, {-2, -2, 1, 0, 3}}));
}

TEST_F(Primitives, PlainQuadSpansTenTimesItsScale) {
    const auto got = quadsOf([] { plainQuad(0.5f, -1.5f); });
    ASSERT_EQ(got.size(), 6u);
    const float corners[4][2] = {{-5, 5}, {5, 5}, {5, -5}, {-5, -5}};
    const int order[6] = {0, 1, 3, 1, 2, 3};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(got[i].x, corners[order[i]][0], 1e-3);
        EXPECT_NEAR(got[i].y, corners[order[i]][1], 1e-3);
    }
}

TEST_F(Primitives, TexturedGridOfTwoByTwoIsOneQuadFromItsCorners) {
    const float coords[8] = {0.0f, 0.1f, 1.0f, 0.2f, 0.3f, 0.9f, 0.8f, 1.0f};
    const auto got = flatten(captureFeedback(
        [&] { texturedGrid(context, coords, 2, 2, -4.0f, 6.0f, 8.0f, -2.0f, 0.0f); }));
    expectVertices(got, quadAsTriangles({{-4, 6, 0, 0.0f, 0.1f},
                                         {8, 6, 0, 1.0f, 0.2f},
                                         {8, -2, 0, 0.8f, 1.0f},
                                         {-4, -2, 0, 0.3f, 0.9f}}));
}

TEST_F(Primitives, TexturedGridTakesEachCornersPairByRowAndColumn) {
    // 3 columns x 2 rows: pair (i, j) at 3j + i carries s = i, t = j.
    float coords[12];
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 3; ++i) {
            coords[2 * (3 * j + i)] = static_cast<float>(i);
            coords[2 * (3 * j + i) + 1] = static_cast<float>(j);
        }
    }
    const auto polygons =
        captureFeedback([&] { texturedGrid(context, coords, 3, 2, 0, 0, 20, 10, 0); });
    const auto got = flatten(polygons);
    ASSERT_EQ(got.size(), 12u);  // two quads
    for (const auto& v : got) {
        EXPECT_NEAR(v.s * 10.0f, v.x, 1e-3);
        EXPECT_NEAR(v.t * 10.0f, v.y, 1e-3);
    }
}

TEST_F(Primitives, TexturedGridWithFewerThanTwoRowsOrColumnsEmitsNothing) {
    const float coords[16] = {};
    EXPECT_TRUE(
        captureFeedback([&] { texturedGrid(context, coords, 1, 8, 0, 0, 1, 1, 0); }).empty());
    EXPECT_TRUE(
        captureFeedback([&] { texturedGrid(context, coords, 8, 1, 0, 0, 1, 1, 0); }).empty());
    EXPECT_TRUE(
        captureFeedback([&] { texturedGrid(context, coords, 0, 0, 0, 0, 1, 1, 0); }).empty());
    // The glBegin / glEnd pair was still balanced.
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

float extent(const std::vector<FeedbackVertex>& vertices) {
    float largest = 0;
    for (const auto& v : vertices)
        largest = std::max({largest, std::abs(v.x), std::abs(v.y)});
    return largest;
}

TEST_F(Primitives, CubeIsCompiledOnceAndReplayedWithTheFirstHalfSize) {
    glDisable(GL_CULL_FACE);
    const auto first = flatten(captureFeedback([] { drawCube(2.0f); }));
    ASSERT_EQ(first.size(), 36u);  // six faces, two triangles each
    EXPECT_NEAR(extent(first), 2.0f, 1e-3);
    const int32_t list = cubeList();
    EXPECT_NE(list, -1);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(list)));

    const auto second = flatten(captureFeedback([] { drawCube(1.0f); }));
    EXPECT_EQ(cubeList(), list);  // no second glGenLists
    ASSERT_EQ(second.size(), 36u);
    EXPECT_NEAR(extent(second), 2.0f, 1e-3);
}

TEST_F(Primitives, CubeFacesCarryTheirTextureCorners) {
    glDisable(GL_CULL_FACE);
    const auto polygons = captureFeedback([] { drawCube(1.0f); });
    // Face 1 (z = -1): corner (1, 1, -1) has t(1, 0) and (1, -1, -1) has t(0, 0).
    bool found = false;
    for (const auto& v : flatten(polygons)) {
        if (std::abs(v.z + 1) < 1e-2 && std::abs(v.x - 1) < 1e-3 && std::abs(v.y - 1) < 1e-3 &&
            std::abs(v.s - 1) < 1e-5 && std::abs(v.t) < 1e-5) {
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(Primitives, CubeIsCompiledAnewInANewContext) {
    glDisable(GL_CULL_FACE);
    captureFeedback([] { drawCube(3.0f); });  // compiled in this test's context
    ASSERT_NE(cubeList(), -1);

    gl.reset();  // the context goes, as a display-mode toggle destroys it
    std::string error;
    gl = platform::HeadlessGl::create(kWidth, kHeight, &error);
    ASSERT_TRUE(gl) << error;
    EXPECT_EQ(cubeList(), -1);

    glDisable(GL_CULL_FACE);
    const auto drawn = flatten(captureFeedback([] { drawCube(0.5f); }));
    ASSERT_EQ(drawn.size(), 36u);
    EXPECT_NEAR(extent(drawn), 0.5f, 1e-3);  // that call's half-size, as with any first cube
}

}  // namespace
}  // namespace tev
