#include <GL/gl.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "c_expressions.h"
#include "gl_test.h"
#include "proc/crt_random.h"
#include "scenes/lit_scene.h"
#include "scenes/particle_scene.h"
#include "scenes/primitives.h"
#include "scenes/sprite_ring.h"
#include "scenes/waving_sheet.h"
#include "temp_dir.h"

namespace tev {
namespace {

class Scenes : public test::GlTest {
  protected:
    DrawContext context;  // the built stream, as the show draws by default
};

// Runs `body` with a working directory that holds none of the show's files.
template <typename Body>
void inEmptyDirectory(Body body) {
    test::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    body();
    std::filesystem::current_path(previous);
}

TEST_F(Scenes, ParticlesLieInTheirRangesAfter3300Draws) {
    inEmptyDirectory([] {
        srand(1);
        const uint64_t before = randDrawCount();
        ParticleScene scene;
        EXPECT_EQ(randDrawCount() - before, 3300u);
        EXPECT_EQ(scene.ready, 1);  // none of the five pictures exists
        for (int i = 0; i < PARTICLE_COUNT; ++i) {
            const Particle& p = scene.system.particles[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(p.spread.x, 0.5f);
            EXPECT_EQ(p.spread.y, 0.075f);
            EXPECT_EQ(p.spread.z, 0.5f);
            EXPECT_EQ(p.auxiliary.x, 0.0f);
            EXPECT_EQ(p.auxiliary.y, 0.0f);
            EXPECT_EQ(p.auxiliary.z, 0.0f);
            EXPECT_LE(std::fabs(p.position.x), 1.0f);
            EXPECT_LE(std::fabs(p.position.z), 1.0f);
            EXPECT_LE(std::fabs(p.position.y), 100.0f);
            EXPECT_GE(p.size, 16.0f);
            EXPECT_LE(p.size, 20.0f);
            EXPECT_GE(p.velocity.y, 0.0f);
            EXPECT_LE(p.velocity.y, 1.2f);
            EXPECT_GE(p.life, 0.0f);
            EXPECT_LE(p.life, i < 150 ? 40.0f : 10.0f);
        }
        EXPECT_EQ(scene.system.force.y, -3.1f);
        EXPECT_EQ(scene.eye.z, 100.0f);
        EXPECT_EQ(particleTextureResults[0], -1);
    });
}

TEST_F(Scenes, RandomMappingCoversTheWholeRange) {
    srand(0);
    float low = 1e9f, high = -1e9f;
    for (int i = 0; i < 200000; ++i) {
        const float v = randomBetween(16.0f, 20.0f);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_EQ(low, 16.0f);
    EXPECT_NEAR(high, 20.0f, 1e-5);
}

TEST_F(Scenes, ChainsDrawOneCubePerWholeStep) {
    const Vector3 t{1.85f, 0, 0}, s{0.9f, 0.9f, 0.9f}, r{10, 12, 10};
    auto cubesOf = [&](float depth) {
        const uint64_t before = cubeDrawCount();
        drawCubeChain(t, s, r, depth);
        return cubeDrawCount() - before;
    };
    EXPECT_EQ(cubesOf(0.0f), 0u);
    EXPECT_EQ(cubesOf(-1.0f), 0u);
    EXPECT_EQ(cubesOf(0.5f), 1u);
    EXPECT_EQ(cubesOf(20.0f), 20u);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);  // every push popped

    const uint64_t before = cubeDrawCount();
    drawLitScene(context, 7, -7, -16, 50, 46);
    EXPECT_EQ(cubeDrawCount() - before, 121u);
}

TEST_F(Scenes, LitSceneAlphaDrawsOnlyInTheFades) {
    uint64_t before = randDrawCount();
    EXPECT_EQ(litSceneAlpha(6.0f), 0.75f);
    EXPECT_EQ(litSceneAlpha(13.9f), 0.75f);
    EXPECT_EQ(randDrawCount(), before);
    const float fadeOut = litSceneAlpha(14.0f);
    EXPECT_EQ(randDrawCount(), before + 1);
    EXPECT_GE(fadeOut, 0.65f);
    EXPECT_LE(fadeOut, 0.75f);
    before = randDrawCount();
    const float fadeIn = litSceneAlpha(0.0f);
    EXPECT_EQ(randDrawCount(), before + 1);
    EXPECT_LE(fadeIn, 0.0f);
    EXPECT_GT(fadeIn, -0.125f);
}

TEST_F(Scenes, LitSceneLeavesDepthOnLightingOffAndItsProjection) {
    drawLitScene(context, 1, -2, -10, 80, 76);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    const auto p = test::matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[0], 1.0, 1e-6);  // 90 degrees, aspect 1
    EXPECT_NEAR(p[10], -1001.0 / 999.0, 1e-5);
}

TEST_F(Scenes, SheetCoordinatesDependOnlyOnTime) {
    inEmptyDirectory([&] {
        WavingSheet sheet("DATA.PAK");  // no pack: the sheet still draws
        sheet.drawSheet(context, 0.0f, 0.0f);
        EXPECT_NEAR(sheetCoords[0][0], 0.044786, 5e-7);
        EXPECT_NEAR(sheetCoords[0][1], 0.046143, 5e-7);
        const float first[2] = {sheetCoords[27][0], sheetCoords[27][1]};
        sheet.drawSheet(context, 12.5f, 0.0f);
        SpriteRing ring;
        ring.draw(context, 50.0f, 45.0f, 0);
        sheet.drawSheet(context, 3.0f, 3.0f);  // T = 0 again
        EXPECT_EQ(sheetCoords[27][0], first[0]);
        EXPECT_EQ(sheetCoords[27][1], first[1]);
        EXPECT_EQ(sheetPoints[63][0], 3.0f);
        EXPECT_EQ(sheetPoints[63][1], 3.0f);
        EXPECT_EQ(sheetPoints[0][0], -4.0f);
    });
}

TEST_F(Scenes, RingPointsAndTheStateTheRingLeaves) {
    SpriteRing ring;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    ring.draw(context, 45.0f, 45.0f, 0);  // p = 0
    EXPECT_FLOAT_EQ(ringPoints[0][0], 4.0f);
    EXPECT_FLOAT_EQ(ringPoints[0][1], 0.0f);
    EXPECT_FLOAT_EQ(ringPoints[0][2], 0.0f);
    EXPECT_NEAR(ringPoints[1][0], 4 * std::cos(6.0), 1e-6);
    EXPECT_NEAR(ringPoints[1][1], 4 * std::sin(6.0), 1e-6);
    EXPECT_NEAR(ringPoints[1][2], 2.25 * std::sin(30.0), 1e-6);

    // Every point as C computes it: sin and cos of the float angle promoted
    // to double. The float overloads differ from these in many points.
    for (const float now : {45.0f, 47.3f, 61.75f, 84.9f}) {
        ring.draw(context, now, 45.0f, 0);
        int differs = 0;
        for (int k = 0; k < 400; ++k) {
            float expected[3];
            cExpressionRingPoint(k, now - 45.0f, expected);
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(ringPoints[k][c], expected[c]) << "point " << k << " at " << now;
            }
            const float a = 6.0f * static_cast<float>(k);
            differs += static_cast<float>(4.0 * std::cos(a)) != expected[0];
        }
        EXPECT_GT(differs, 0);
    }

    std::vector<int> drawn;
    for (int sprite = 0; sprite < 100; ++sprite)
        drawn.push_back(ringSpriteIndex(sprite));
    EXPECT_EQ(drawn[0], 0);
    EXPECT_EQ(drawn[9], 18);
    EXPECT_EQ(drawn[10], 40);
    EXPECT_EQ(drawn[99], 378);

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 0.5f);
    EXPECT_EQ(colour[0], 1.0f);
    const auto p = test::matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[0], 1.0, 1e-6);
    EXPECT_NEAR(p[10], -300.1 / 299.9, 1e-5);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_NEAR(clear[0], 0.35f, 1e-6);
}

TEST_F(Scenes, RingDrawsItsHundredSpritesAtTheirPoints) {
    SpriteRing ring;
    const auto quads = test::captureFeedback([&] { ring.drawSprites(context, 0, 0.0f); });
    // Each sprite is one quad, reported as two triangles; some may be clipped
    // by the capture's depth range, so count the ones of the first point.
    ASSERT_FALSE(quads.empty());
    bool foundFirst = false;
    for (const auto& polygon : quads) {
        for (const auto& v : polygon.vertices) {
            if (std::fabs(v.x - 4.1f) < 1e-3 && std::fabs(v.y - 0.1f) < 1e-3) foundFirst = true;
        }
    }
    EXPECT_TRUE(foundFirst);  // point 0's sprite: (4 +- 0.1, 0 +- 0.1, 1)
    EXPECT_EQ(quads.size(), 200u);
}

}  // namespace
}  // namespace tev
