#include <GL/gl.h>

#include <vector>

#include "assets/texture.h"
#include "assets/texture_generator.h"
#include "gl_test.h"
#include "proc/texture_kinds.h"

namespace tev {
namespace {

using TextureGeneratorGl = test::GlTest;

GLuint nextTextureName() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

TEST_F(TextureGeneratorGl, UnknownKindsTouchNothing) {
    for (int kind : {0, 6, -1, 1000}) {
        Texture texture;
        const GLuint before = nextTextureName();
        EXPECT_EQ(generateTexture(texture, kind), 0);
        EXPECT_EQ(nextTextureName(), before + 1);  // no name taken in between
        EXPECT_EQ(texture.textureName, 0u);
        EXPECT_EQ(texture.pixels, nullptr);
        EXPECT_EQ(texture.width, 0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureGeneratorGl, GrayKindUploadsItsBytesUnderItsOwnNameAndFreesThem) {
    Texture texture;
    const int name = generateTexture(texture, 1);
    ASSERT_NE(name, 0);
    EXPECT_EQ(static_cast<GLuint>(name), texture.textureName);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(texture.width, 256);
    EXPECT_EQ(texture.height, 256);
    EXPECT_EQ(texture.channels, 1);

    glBindTexture(GL_TEXTURE_2D, texture.textureName);
    std::vector<uint8_t> uploaded(256 * 256);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, uploaded.data());
    EXPECT_EQ(uploaded, fillTextureKind(TextureKind::RadialFalloff));
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);

    // Again on the same record: the name stays, the image is redefined.
    EXPECT_EQ(generateTexture(texture, 2), name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, uploaded.data());
    EXPECT_EQ(uploaded, fillTextureKind(TextureKind::SineInterference));
}

TEST_F(TextureGeneratorGl, RgbaKindsTakeAFreshMipmappedName) {
    for (int kind : {4, 5}) {
        Texture texture;
        const GLuint allocated = nextTextureName() + 1;  // what allocate will take
        const int name = generateTexture(texture, kind);
        ASSERT_NE(name, 0);
        EXPECT_NE(static_cast<GLuint>(name), allocated);
        EXPECT_EQ(static_cast<GLuint>(name), texture.textureName);
        EXPECT_EQ(texture.pixels, nullptr);

        const TextureKindInfo& info = textureKindInfo(static_cast<TextureKind>(kind));
        glBindTexture(GL_TEXTURE_2D, texture.textureName);
        std::vector<uint8_t> uploaded(info.byteCount());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
        EXPECT_EQ(uploaded, fillTextureKind(static_cast<TextureKind>(kind))) << "kind " << kind;
        GLint levelOneWidth = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
        EXPECT_EQ(levelOneWidth, info.width / 2);
    }
}

}  // namespace
}  // namespace tev
