#pragma once
// The one image record of the program: a pixel buffer in memory plus the
// OpenGL texture object made from it.
//
// Pixels are row-major without row padding, channels interleaved R, G, B, A;
// row 0 is the first row handed to OpenGL (texture coordinate t = 0). Images
// are never flipped.
//
// The record owns its pixel buffer (a new allocation replaces and frees the
// old one), but never deletes its GL texture name: names belong to the
// context they were made in and go away with it. A record remembers that
// context, so that after a display-mode toggle it takes a name of the new
// context instead of reusing a number the new context may have handed out
// to another texture.

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tev {

class Texture {
  public:
    Texture() = default;
    virtual ~Texture() = default;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    Texture(Texture&&) = default;
    Texture& operator=(Texture&&) = default;

    // Records the size, allocates width * height * channels uninitialised
    // bytes (freeing any previous buffer) and creates a texture name when
    // the record has none in the current context. Returns 1, or -1 when the
    // size is not positive, overflows or cannot be allocated (pixels is then
    // null).
    int allocate(int32_t width, int32_t height, int32_t channels);

    // Asks OpenGL for one new texture name and keeps it.
    GLuint createName();

    // Single level, luminance source, linear filtering, repeat wrap. Keeps
    // the existing name and replaces its image.
    GLuint upload();

    // Fresh name, RGBA source, GLU mipmaps, repeat wrap.
    GLuint uploadMipmapped();

    // Binds and enables GL_TEXTURE_2D; 0 and no GL call when there is no name.
    int bind() const;

    // width * height * channels, or 0 when that is not a valid size.
    size_t byteCount() const;

    // Frees the pixel buffer (the name and size stay).
    void releasePixels() { pixels.reset(); }

    const char* path = nullptr;  // set by the TGA loader; not owned
    GLuint textureName = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    std::unique_ptr<uint8_t[]> pixels;

  private:
    uint64_t nameContext_ = 0;  // the GL context textureName was made in
};

// Bytes of a width x height x channels image, or 0 when any factor is not
// positive or the product does not fit a 32-bit signed count.
size_t imageByteCount(int64_t width, int64_t height, int64_t channels);

}  // namespace tev
