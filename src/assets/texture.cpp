#include "assets/texture.h"

#include <GL/glu.h>

#include <limits>
#include <new>

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

size_t Texture::byteCount() const {
    return imageByteCount(width, height, channels);
}

int Texture::allocate(int32_t w, int32_t h, int32_t c) {
    width = w;
    height = h;
    channels = c;
    pixels.reset();
    const size_t bytes = byteCount();
    if (bytes == 0) return -1;
    pixels.reset(new (std::nothrow) uint8_t[bytes]);
    if (!pixels) return -1;
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
    const bool readable = pixels && byteCount() > 0;
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
    if (pixels && channels == 4 && byteCount() > 0) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                          pixels.get());
    }
    return textureName;
}

int Texture::bind() const {
    if (textureName == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, textureName);
    glEnable(GL_TEXTURE_2D);
    return static_cast<int>(textureName);
}

}  // namespace tev
