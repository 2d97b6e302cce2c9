// Where the scene objects appear on screen: each drawn alone on black at a
// time of its slot, as the timeline draws it.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "scenes/lit_scene.h"
#include "show/offline_show.h"
#include "show/show.h"

namespace tev {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 72;

struct Ink {
    double share = 0;  // of the pixels that are not black
    double x = 0;      // their centroid, 0..1 from the left
    double y = 0;      // 0..1 from the top
};

Ink inkOf(const std::vector<uint8_t>& rgb) {
    Ink ink;
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            if (p[0] + p[1] + p[2] > 24) {
                ++count;
                ink.x += (x + 0.5) / kWidth;
                ink.y += (y + 0.5) / kHeight;
            }
        }
    }
    ink.share = static_cast<double>(count) / (kWidth * kHeight);
    if (count > 0) {
        ink.x /= count;
        ink.y /= count;
    }
    return ink;
}

class Placement : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        show = OfflineShow::create(kWidth, kHeight, 10, &error);
        ASSERT_TRUE(show) << error;
    }
    template <typename Draw>
    Ink alone(Draw draw) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        return inkOf(show->readPixels());
    }
    std::unique_ptr<OfflineShow> show;
};

TEST_F(Placement, LitSceneASitsLowerRightAndBNearTheMiddle) {
    const Ink a = alone([] {
        noiseTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawLitScene(drawContext, 7.0f, -7.0f, -16.0f, 55.0f, 46.0f);
    });
    EXPECT_GT(a.share, 0.02);
    EXPECT_GT(a.x, 0.6);
    EXPECT_GT(a.y, 0.6);

    const Ink b = alone([] {
        discTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        drawLitScene(drawContext, 1.0f, -2.0f, -10.0f, 85.0f, 76.0f);
    });
    EXPECT_GT(b.share, 0.05);
    EXPECT_NEAR(b.x, 0.55, 0.15);
    EXPECT_NEAR(b.y, 0.6, 0.15);
}

TEST_F(Placement, RingCirclesTheMiddleAndTheSheetCoversTheView) {
    const Ink ring =
        alone([] { spriteRing->draw(drawContext, 50.0f, 45.0f, discTexture.textureName); });
    EXPECT_GT(ring.share, 0.01);
    EXPECT_NEAR(ring.x, 0.5, 0.1);
    EXPECT_NEAR(ring.y, 0.5, 0.15);

    for (float t : {1.0f, 60.0f, 125.0f}) {
        const Ink sheet = alone([t] { wavingSheet->drawSheet(drawContext, t, 0.0f); });
        EXPECT_GT(sheet.share, 0.6) << "t = " << t;
    }
}

}  // namespace
}  // namespace tev
