#include "assets/texture.h"

#include <limits>
#include <new>

#include "gl11/gl11.h"
#include "platform/gl_context_serial.h"

namespace tev {

size_t imageByteCount(int64_t width, int64_t height, int64_t channels) {
    if (width <= 0 || height <= 0 || channels <= 0) return 0;
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    if (width > kLimit / height) return 0;
    const int64_t area = width * height;
    if (area > kLimit / channels) return 0;
    return static_cast<size_t>(area * channels);
}

bool PixelBuffer::allocate(size_t bytes, bool zeroed) {
    reset();
    if (bytes == 0) return false;
    data_.reset(zeroed ? new (std::nothrow) uint8_t[bytes]() : new (std::nothrow) uint8_t[bytes]);
    if (data_) size_ = bytes;
    return data_ != nullptr;
}

size_t Texture::byteCount() const {
    return imageByteCount(width, height, channels);
}

void Texture::setSize(int32_t w, int32_t h, int32_t c) {
    width = w;
    height = h;
    channels = c;
    if (!holds(c)) pixels.reset();
}

bool Texture::holds(int32_t bytesPerPixel) const {
    const size_t bytes = imageByteCount(width, height, bytesPerPixel);
    return pixels && bytes > 0 && pixels.size() >= bytes;
}

int Texture::allocate(int32_t w, int32_t h, int32_t c) {
    setSize(w, h, c);
    if (!pixels.allocate(byteCount())) return -1;
    if (textureName == 0 || nameContext_ != platform::currentGlContextSerial()) createName();
    return 1;
}

GLuint Texture::createName() {
    glGenTextures(1, &textureName);
    nameContext_ = platform::currentGlContextSerial();
    return textureName;
}

GLuint Texture::upload() {
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // GL reads one byte per pixel here. A record without such a buffer
    // defines an image of undefined content instead of reading past one.
    const bool readable = holds(1);
    glTexImage2D(GL_TEXTURE_2D, 0, channels, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                 readable ? pixels.get() : nullptr);
    return textureName;
}

GLuint Texture::uploadMipmapped() {
    createName();
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // GLU reads width * height * 4 bytes and takes the channel count as the
    // internal format; a record without such a buffer (or with a depth GL has
    // no format for) leaves the name with no image, as a missing picture.
    if (const uint8_t* source = mipmapSource()) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                          source);
    }
    return textureName;
}

bool Texture::opaque() const {
    const uint8_t* rgba = mipmapSource();
    if (rgba == nullptr) return false;
    const size_t bytes = byteCount();
    for (size_t i = 3; i < bytes; i += 4) {
        if (rgba[i] != 255) return false;
    }
    return true;
}

int Texture::bind() const {
    if (textureName == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, textureName);
    glEnable(GL_TEXTURE_2D);
    return static_cast<int>(textureName);
}

}  // namespace tev
