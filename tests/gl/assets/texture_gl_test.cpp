#include <GL/gl.h>

#include "assets/texture.h"
#include "gl_test.h"

namespace tev {
namespace {

using TextureGl = test::GlTest;

TEST_F(TextureGl, AllocateCreatesANameOnceAndKeepsIt) {
    Texture texture;
    ASSERT_EQ(texture.allocate(4, 4, 1), 1);
    const GLuint first = texture.textureName;
    EXPECT_NE(first, 0u);
    EXPECT_TRUE(glIsTexture(first) || first != 0);
    ASSERT_EQ(texture.allocate(8, 8, 4), 1);
    EXPECT_EQ(texture.textureName, first);
    EXPECT_EQ(texture.width, 8);
    EXPECT_NE(texture.pixels, nullptr);
}

TEST_F(TextureGl, MipmappedUploadTakesAFreshNameEachTime) {
    Texture texture;
    ASSERT_EQ(texture.allocate(2, 2, 4), 1);
    std::fill(texture.pixels.get(), texture.pixels.get() + 16, uint8_t{200});
    const GLuint allocated = texture.textureName;
    const GLuint first = texture.uploadMipmapped();
    const GLuint second = texture.uploadMipmapped();
    EXPECT_NE(first, allocated);
    EXPECT_NE(second, first);
    EXPECT_EQ(texture.textureName, second);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_NEAREST_MIPMAP_LINEAR);
    GLint levelOneWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    EXPECT_EQ(levelOneWidth, 1);
}

TEST_F(TextureGl, UploadKeepsItsNameAndReplacesTheImage) {
    Texture texture;
    ASSERT_EQ(texture.allocate(1, 1, 1), 1);  // odd width: alignment 1 matters
    texture.pixels[0] = 10;
    const GLuint name = texture.upload();
    texture.pixels[0] = 250;
    EXPECT_EQ(texture.upload(), name);
    uint8_t luminance = 0;
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, &luminance);
    EXPECT_EQ(luminance, 250);
    GLint wrap = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(TextureGl, OddSizedLuminanceRowsArriveUnpadded) {
    Texture texture;
    ASSERT_EQ(texture.allocate(3, 2, 1), 1);
    for (int i = 0; i < 6; ++i)
        texture.pixels[i] = static_cast<uint8_t>(10 * (i + 1));
    texture.upload();
    uint8_t back[6] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, back);
    EXPECT_EQ(back[3], 40);  // first pixel of row 1
    EXPECT_EQ(back[5], 60);
}

TEST_F(TextureGl, BindOnAFreshRecordReturnsZeroAndChangesNothing) {
    Texture texture;
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(texture.bind(), 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glEnable(GL_TEXTURE_2D);
    EXPECT_EQ(texture.bind(), 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    ASSERT_EQ(texture.allocate(1, 1, 1), 1);
    texture.upload();
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(texture.bind(), static_cast<int>(texture.textureName));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.textureName);
}

TEST_F(TextureGl, MipmappedUploadWithoutAnRgbaBufferReadsNothing) {
    Texture texture;
    texture.width = 64;  // a size with no buffer behind it, as a damaged picture leaves
    texture.height = 64;
    texture.channels = 3;
    const GLuint name = texture.uploadMipmapped();
    EXPECT_NE(name, 0u);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});

    // A damaged pack's depth of 5 has a buffer, but no GL format.
    ASSERT_EQ(texture.allocate(2, 2, 5), 1);
    texture.uploadMipmapped();
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
}  // namespace tev

namespace tev {
namespace {

TEST_F(TextureGl, AfterANewContextAllocateTakesANameOfThatContext) {
    Texture kept;  // like the show's static records, it outlives the context
    ASSERT_EQ(kept.allocate(2, 2, 1), 1);
    for (int i = 0; i < 5; ++i) {
        Texture other;
        other.createName();
    }
    const GLuint first = kept.textureName;
    ASSERT_EQ(kept.allocate(2, 2, 1), 1);
    EXPECT_EQ(kept.textureName, first);  // same context: the name stays

    gl.reset();
    std::string error;
    gl = platform::HeadlessGl::create(kWidth, kHeight, &error);
    ASSERT_TRUE(gl) << error;
    // The new context hands out its own numbers; one of them may equal the
    // stale name.
    std::vector<GLuint> fresh(8);
    glGenTextures(static_cast<GLsizei>(fresh.size()), fresh.data());
    ASSERT_EQ(kept.allocate(2, 2, 1), 1);
    EXPECT_NE(kept.textureName, 0u);
    for (GLuint name : fresh)
        EXPECT_NE(kept.textureName, name);
}

}  // namespace
}  // namespace tev
