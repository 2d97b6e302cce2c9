#include "platform/native/offscreen_picture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/gl_proc.h"

namespace tev::platform {
namespace {

// Framebuffer objects are no part of OpenGL 1.1: their entry points come by
// name from the current context.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVPROC getRenderbufferParameteriv = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    PFNGLCLIPCONTROLPROC clipControl = nullptr;
};
FramebufferCalls gl;

template <typename Call>
bool load(Call& call, const char* name) {
    call = reinterpret_cast<Call>(glProcAddress(name));
    return call != nullptr;
}

constexpr char kEsPrefix[] = "OpenGL ES ";

// An OpenGL ES context (the GL subset draws with one) says so first thing
// in its version.
bool contextIsEs() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version != nullptr && std::strncmp(version, kEsPrefix, sizeof kEsPrefix - 1) == 0;
}

// With glvnd every name yields an entry point, so the context itself must
// say that it has the calls: by its version, at least major.minor, or by
// naming the extension. An OpenGL ES context's version counts as that of
// the desktop OpenGL it has the calls of: ES 3.0 has OpenGL 3.0's
// framebuffer objects, the only ones asked for by version.
bool contextHas(int wantMajor, int wantMinor, const char* extension) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (contextIsEs()) version += sizeof kEsPrefix - 1;
    int major = 0, minor = 0;
    const int parts = version != nullptr ? std::sscanf(version, "%d.%d", &major, &minor) : 0;
    if (parts >= 1 && (major > wantMajor || (major == wantMajor && minor >= wantMinor))) {
        return true;
    }
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, extension) != nullptr;
}

bool loadFramebufferCalls() {
    return load(gl.genFramebuffers, "glGenFramebuffers") &&
           load(gl.deleteFramebuffers, "glDeleteFramebuffers") &&
           load(gl.bindFramebuffer, "glBindFramebuffer") &&
           load(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           load(gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           load(gl.genRenderbuffers, "glGenRenderbuffers") &&
           load(gl.deleteRenderbuffers, "glDeleteRenderbuffers") &&
           load(gl.bindRenderbuffer, "glBindRenderbuffer") &&
           load(gl.renderbufferStorage, "glRenderbufferStorage") &&
           load(gl.getRenderbufferParameteriv, "glGetRenderbufferParameteriv") &&
           load(gl.blitFramebuffer, "glBlitFramebuffer");
}

}  // namespace

Placement placePicture(int pictureWidth, int pictureHeight, int drawableWidth, int drawableHeight) {
    Placement p;
    if (pictureWidth <= 0 || pictureHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) {
        return p;
    }
    // Compared as cross products, so that equal shapes fill the drawable
    // exactly; the other side rounded to the nearest pixel.
    const int64_t wide = int64_t{drawableWidth} * pictureHeight;
    const int64_t tall = int64_t{drawableHeight} * pictureWidth;
    if (wide >= tall) {  // bars left and right (or none)
        p.height = drawableHeight;
        p.width = static_cast<int>((tall + pictureHeight / 2) / pictureHeight);
    } else {  // bars above and below
        p.width = drawableWidth;
        p.height = static_cast<int>((wide + pictureWidth / 2) / pictureWidth);
    }
    p.x = (drawableWidth - p.width) / 2;
    p.y = (drawableHeight - p.height) / 2;
    return p;
}

std::unique_ptr<OffscreenPicture> OffscreenPicture::create(int width, int height, int bitsPerPixel,
                                                           std::string* error) {
    auto fail = [error](const char* why) -> std::unique_ptr<OffscreenPicture> {
        if (error) *error = why;
        return nullptr;
    };
    if (width <= 0 || height <= 0) return fail("the picture's size must be positive");
    if (!contextHas(3, 0, "GL_ARB_framebuffer_object") || !loadFramebufferCalls()) {
        return fail("the OpenGL context has no framebuffer objects");
    }
    std::unique_ptr<OffscreenPicture> picture(new OffscreenPicture());
    picture->width_ = width;
    picture->height_ = height;
    gl.genFramebuffers(1, &picture->framebuffer_);
    gl.genRenderbuffers(1, &picture->colour_);
    gl.genRenderbuffers(1, &picture->depth_);
    // No alpha: the window's pixel format has none either, and blending
    // with a destination alpha reads what the format holds.
    const GLenum colourFormat = bitsPerPixel == 16 ? GL_RGB565 : GL_RGB8;
    gl.bindRenderbuffer(GL_RENDERBUFFER, picture->colour_);
    gl.renderbufferStorage(GL_RENDERBUFFER, colourFormat, width, height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, picture->depth_);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
    picture->bind();
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                               picture->colour_);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                               picture->depth_);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        return fail("the offscreen framebuffer is incomplete");  // the destructor cleans up
    }
    // Mesa rasterises a window's framebuffer with y pointing down and a
    // framebuffer object with y pointing up, and the pixels on the edges of
    // polygons fall differently. With the clip origin at the upper left
    // the picture is drawn exactly as a window would be, stored top row
    // first; present() turns it upright. (The clip origin leaves facing,
    // the viewport and the depth range as they are.)
    const bool clipControl =
        contextIsEs()
            ? contextHas(99, 0, "GL_EXT_clip_control") && load(gl.clipControl, "glClipControlEXT")
            : contextHas(4, 5, "GL_ARB_clip_control") && load(gl.clipControl, "glClipControl");
    if (clipControl) {
        gl.clipControl(GL_UPPER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        picture->topRowFirst_ = true;
    }
    return picture;
}

OffscreenPicture::~OffscreenPicture() {
    if (gl.bindFramebuffer == nullptr) return;
    if (topRowFirst_) {
        gl.clipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    }
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    gl.deleteFramebuffers(1, &framebuffer_);
    gl.deleteRenderbuffers(1, &colour_);
    gl.deleteRenderbuffers(1, &depth_);
}

void OffscreenPicture::bind() const {
    gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void OffscreenPicture::colourBits(int bits[3]) const {
    gl.bindRenderbuffer(GL_RENDERBUFFER, colour_);
    const GLenum names[3] = {GL_RENDERBUFFER_RED_SIZE, GL_RENDERBUFFER_GREEN_SIZE,
                             GL_RENDERBUFFER_BLUE_SIZE};
    for (int i = 0; i < 3; ++i) {
        GLint value = 0;
        gl.getRenderbufferParameteriv(GL_RENDERBUFFER, names[i], &value);
        bits[i] = value;
    }
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
}

void OffscreenPicture::present(int drawableWidth, int drawableHeight) {
    const Placement to = placePicture(width_, height_, drawableWidth, drawableHeight);
    // The clears and the blit obey the scissor test and the colour mask:
    // both are set for this, and the show's own settings put back after.
    GLfloat clearColour[4];
    GLboolean writeMask[4];
    GLint scissorBox[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glGetBooleanv(GL_COLOR_WRITEMASK, writeMask);
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Only the bars are cleared: a clear of the whole display would cost
    // as much again as a third of the blit.
    if (to.width != drawableWidth || to.height != drawableHeight) {
        glEnable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        if (to.width != drawableWidth) {  // left and right
            glScissor(0, 0, to.x, drawableHeight);
            glClear(GL_COLOR_BUFFER_BIT);
            glScissor(to.x + to.width, 0, drawableWidth - to.x - to.width, drawableHeight);
            glClear(GL_COLOR_BUFFER_BIT);
        } else {  // above and below
            glScissor(0, 0, drawableWidth, to.y);
            glClear(GL_COLOR_BUFFER_BIT);
            glScissor(0, to.y + to.height, drawableWidth, drawableHeight - to.y - to.height);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
    glDisable(GL_SCISSOR_TEST);
    // At the same size a linear filter samples pixel centres: every pixel
    // comes through as it is.
    const int top = to.y + to.height, bottom = to.y;
    gl.blitFramebuffer(0, 0, width_, height_, to.x, topRowFirst_ ? top : bottom, to.x + to.width,
                       topRowFirst_ ? bottom : top, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    bind();

    glColorMask(writeMask[0], writeMask[1], writeMask[2], writeMask[3]);
    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

void OffscreenPicture::readPixels(std::vector<uint8_t>& rgb, bool topRowFirst) const {
    // Rows come as stored; readRgbPixels turns them over when asked to.
    readRgbPixels(width_, height_, rgb, topRowFirst != topRowFirst_, rows_);
}

void OffscreenPicture::readDrawable(int drawableWidth, int drawableHeight,
                                    std::vector<uint8_t>& rgb) const {
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    readRgbPixels(drawableWidth, drawableHeight, rgb, true, rows_);
    bind();
}

void readRgbPixels(int width, int height, std::vector<uint8_t>& rgb, bool topRowFirst,
                   std::vector<uint8_t>& rows) {
    const size_t stride = static_cast<size_t>(width) * 3;
    rgb.resize(stride * static_cast<size_t>(height));
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (contextIsEs()) {
        // OpenGL ES reads GL_RGBA of bytes from any colour buffer (GL_RGB
        // only where the implementation says so): read that, drop alpha.
        const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
        rows.resize(w * h * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        for (size_t y = 0; y < h; ++y) {
            const uint8_t* from = rows.data() + (topRowFirst ? h - 1 - y : y) * w * 4;
            uint8_t* to = rgb.data() + y * stride;
            for (size_t x = 0; x < w; ++x) {
                to[3 * x] = from[4 * x];
                to[3 * x + 1] = from[4 * x + 1];
                to[3 * x + 2] = from[4 * x + 2];
            }
        }
    } else if (!topRowFirst) {
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    } else {
        rows.resize(rgb.size());
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = rows.data() + static_cast<size_t>(height - 1 - y) * stride;
            std::copy(from, from + stride, rgb.data() + static_cast<size_t>(y) * stride);
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}

}  // namespace tev::platform
