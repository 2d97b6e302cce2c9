// The headless contexts: compatibility GL and OpenGL ES 3.0, 8 bits a
// channel and 5-6-5, side by side in one process, each reading back what
// it drew.

#include "platform/native/headless_gl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tev::platform {
namespace {

struct Kind {
    bool gles3;
    int colourBits;
};

std::unique_ptr<HeadlessGl> make(Kind kind, std::string* error) {
    HeadlessGlOptions options;
    options.gles3 = kind.gles3;
    options.colourBits = kind.colourBits;
    return HeadlessGl::create(5, 3, error, options);
}

// Clears to (0.5, 1, 0.25) with the bottom-left pixel blue, so that the
// rows' order shows.
void paint() {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.5f, 1.0f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

// What the clear colour reads back as: half red lands between two levels
// of 8 bits (127.5) or of 5 bits (15.5, read as 123 or 132).
void expectPainted(const HeadlessGl& gl, Kind kind) {
    const std::vector<uint8_t> rgb = gl.readPixels();
    ASSERT_EQ(rgb.size(), 5u * 3 * 3);
    const bool deep = kind.colourBits == 32;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * 5 + x) * 3];
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            if (x == 0 && y == 2) {
                EXPECT_EQ(p[0], 0);
                EXPECT_EQ(p[1], 0);
                EXPECT_EQ(p[2], 255);
                continue;
            }
            if (deep) {
                EXPECT_TRUE(p[0] == 127 || p[0] == 128) << int(p[0]);
                EXPECT_TRUE(p[2] == 63 || p[2] == 64) << int(p[2]);
            } else {
                EXPECT_TRUE(p[0] == 123 || p[0] == 132) << int(p[0]);
                EXPECT_TRUE(p[2] == 58 || p[2] == 66) << int(p[2]);
            }
            EXPECT_EQ(p[1], 255);
        }
    }
    // Rows as GL stores them: the blue pixel comes first.
    std::vector<uint8_t> bottomUp;
    gl.readPixels(bottomUp, false);
    ASSERT_EQ(bottomUp.size(), rgb.size());
    EXPECT_EQ(bottomUp[0], 0);
    EXPECT_EQ(bottomUp[2], 255);
    EXPECT_EQ(std::memcmp(&bottomUp[15], &rgb[15], 15), 0);  // the middle row
}

TEST(HeadlessGl, BothKindsAndBothDepthsLiveInOneProcessAndReadBack) {
    const Kind kinds[] = {{false, 32}, {true, 32}, {true, 16}, {false, 16}};
    std::vector<std::unique_ptr<HeadlessGl>> contexts;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(testing::Message() << (kind.gles3 ? "GLES 3" : "compatibility") << ", "
                                        << kind.colourBits << " bits");
        std::string error;
        contexts.push_back(make(kind, &error));
        ASSERT_TRUE(contexts.back()) << error;
        ASSERT_EQ(contexts.back()->gles3(), kind.gles3);
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(std::strncmp(version, "OpenGL ES 3", 11) == 0, kind.gles3) << version;
        GLint bits[4] = {};
        glGetIntegerv(GL_RED_BITS, &bits[0]);
        glGetIntegerv(GL_GREEN_BITS, &bits[1]);
        glGetIntegerv(GL_BLUE_BITS, &bits[2]);
        glGetIntegerv(GL_DEPTH_BITS, &bits[3]);
        if (kind.colourBits == 16) {
            EXPECT_EQ(std::vector<GLint>(bits, bits + 3), (std::vector<GLint>{5, 6, 5}));
        } else {
            EXPECT_EQ(std::vector<GLint>(bits, bits + 3), (std::vector<GLint>{8, 8, 8}));
        }
        EXPECT_EQ(bits[3], 16);
        paint();
        expectPainted(*contexts.back(), kind);
    }
    // Back and forth between them: each keeps its own picture and draws again.
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < contexts.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "context " << i << ", round " << round);
            ASSERT_TRUE(contexts[i]->makeCurrent());
            expectPainted(*contexts[i], kinds[i]);
            paint();
            expectPainted(*contexts[i], kinds[i]);
        }
    }
    // Released in another order than made.
    contexts.erase(contexts.begin() + 1);
    ASSERT_TRUE(contexts[0]->makeCurrent());
    expectPainted(*contexts[0], kinds[0]);
}

TEST(HeadlessGl, RefusesAColourDepthItDoesNotOffer) {
    std::string error;
    HeadlessGlOptions options;
    options.colourBits = 24;
    EXPECT_EQ(HeadlessGl::create(4, 4, &error, options), nullptr);
    EXPECT_NE(error.find("16 or 32"), std::string::npos) << error;
}

}  // namespace
}  // namespace tev::platform
