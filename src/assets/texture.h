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
//
// The buffer knows its own size, and the record keeps one promise: either it
// has no buffer, or the buffer holds width * height * channels bytes. Sizes
// are changed through setSize, which lets go of a buffer too small for them,
// so a reader that fails half-way (sizes read, pixels not) leaves a record
// with no pixels rather than a small old buffer under large new sizes.
// Whatever reads the pixels (uploads, the opacity scan) still asks holds()
// for the bytes it is about to read.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gl11/gl11.h"

namespace tev {

// A pixel buffer that knows how many bytes it holds.
class PixelBuffer {
  public:
    uint8_t* get() const { return data_.get(); }
    size_t size() const { return size_; }
    explicit operator bool() const { return data_ != nullptr; }
    uint8_t& operator[](size_t i) const { return data_[i]; }
    friend bool operator==(const PixelBuffer& buffer, std::nullptr_t) { return !buffer.data_; }

    // Replaces the buffer by `bytes` new bytes, zeroed when asked. False, and
    // no buffer, when they can't be had (or `bytes` is 0).
    bool allocate(size_t bytes, bool zeroed = false);
    void reset() {
        data_.reset();
        size_ = 0;
    }

  private:
    std::unique_ptr<uint8_t[]> data_;
    size_t size_ = 0;
};

class Texture {
  public:
    Texture() = default;
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

    // Sets the three sizes; a buffer that does not hold the image they
    // describe is let go.
    void setSize(int32_t width, int32_t height, int32_t channels);

    // Whether the buffer holds width * height * bytesPerPixel bytes, the
    // amount a reader of bytesPerPixel-byte pixels reads (false for an
    // invalid size).
    bool holds(int32_t bytesPerPixel) const;

    // The bytes uploadMipmapped hands GLU, width * height RGBA pixels; null
    // when it hands none (not an RGBA record, or no buffer that holds them).
    const uint8_t* mipmapSource() const {
        return channels == 4 && holds(4) ? pixels.get() : nullptr;
    }

    // Whether every pixel's alpha is 255. A record without its RGBA image is
    // not opaque.
    bool opaque() const;

    // Frees the pixel buffer (the name and size stay).
    void releasePixels() { pixels.reset(); }

    const char* path = nullptr;  // set by the TGA loader; not owned
    GLuint textureName = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    PixelBuffer pixels;

  private:
    uint64_t nameContext_ = 0;  // the GL context textureName was made in
};

// Bytes of a width x height x channels image, or 0 when any factor is not
// positive or the product does not fit a 32-bit signed count.
size_t imageByteCount(int64_t width, int64_t height, int64_t channels);

}  // namespace tev
