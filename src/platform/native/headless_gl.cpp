#include "platform/native/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <vector>

#include "platform/gl_context_serial.h"
#include "platform/native/offscreen_picture.h"

namespace tev::platform {
namespace {

EGLDisplay surfacelessDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

std::unique_ptr<HeadlessGl> HeadlessGl::create(int width, int height, std::string* error,
                                               const HeadlessGlOptions& options) {
    auto fail = [error](const char* why) -> std::unique_ptr<HeadlessGl> {
        if (error) *error = why;
        return nullptr;
    };
    if (width <= 0 || height <= 0) return fail("the size must be positive");
    if (options.colourBits != 16 && options.colourBits != 32) {
        return fail("the colour depth must be 16 or 32 bits");
    }
    const bool deep = options.colourBits == 32;
    EGLDisplay display = surfacelessDisplay();
    if (display == EGL_NO_DISPLAY) return fail("no EGL surfaceless display (Mesa's EGL needed)");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return fail("eglInitialize failed");
    const EGLenum api = options.gles3 ? EGL_OPENGL_ES_API : EGL_OPENGL_API;
    if (!eglBindAPI(api)) {
        return fail(options.gles3 ? "EGL offers no OpenGL ES" : "EGL offers no desktop OpenGL");
    }

    const EGLint red = deep ? 8 : 5, green = deep ? 8 : 6, blue = deep ? 8 : 5;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       options.gles3 ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       red,
                                       EGL_GREEN_SIZE,
                                       green,
                                       EGL_BLUE_SIZE,
                                       blue,
                                       EGL_DEPTH_SIZE,
                                       16,
                                       EGL_NONE};
    // EGL lists deeper colour first (Mesa offers 10 bits a channel), but the
    // show's window has 8 bits a channel (or 5-6-5), no alpha and 16 depth
    // bits, and blending rounds differently at other depths: take that
    // format when it is offered. A 16-bit request gets 5-6-5 or nothing,
    // since its callers compare what that depth does to colours.
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, nullptr, 0, &count) || count == 0) {
        return fail("no EGL configuration with a pbuffer and 16 depth bits");
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    eglChooseConfig(display, configAttributes, configs.data(), count, &count);
    EGLConfig config = deep ? configs[0] : nullptr;
    for (int i = 0; i < count; ++i) {
        auto attribute = [&](EGLint name) {
            EGLint value = -1;
            eglGetConfigAttrib(display, configs[static_cast<size_t>(i)], name, &value);
            return value;
        };
        if (attribute(EGL_RED_SIZE) == red && attribute(EGL_GREEN_SIZE) == green &&
            attribute(EGL_BLUE_SIZE) == blue && attribute(EGL_ALPHA_SIZE) == 0 &&
            attribute(EGL_DEPTH_SIZE) == 16 && attribute(EGL_SAMPLES) == 0) {
            config = configs[static_cast<size_t>(i)];
            break;
        }
    }
    if (config == nullptr) return fail("no EGL configuration with 5-6-5 colour and 16 depth bits");
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) return fail("eglCreatePbufferSurface failed");
    const EGLint compatibilityAttributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    const EGLint gles3Attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0,
                                      EGL_NONE};
    EGLContext context = eglCreateContext(
        display, config, EGL_NO_CONTEXT, options.gles3 ? gles3Attributes : compatibilityAttributes);
    if (context == EGL_NO_CONTEXT) {
        eglDestroySurface(display, surface);
        return fail("eglCreateContext failed");
    }
    std::unique_ptr<HeadlessGl> gl(new HeadlessGl());
    gl->display_ = display;
    gl->surface_ = surface;
    gl->context_ = context;
    gl->serial_ = newGlContextSerial();
    gl->width_ = width;
    gl->height_ = height;
    gl->gles3_ = options.gles3;
    if (!gl->makeCurrent()) return fail("eglMakeCurrent failed");
    return gl;
}

HeadlessGl::~HeadlessGl() {
    if (currentGlContextSerial() == serial_) releaseCurrent();
    eglDestroyContext(display_, context_);
    eglDestroySurface(display_, surface_);
}

// EGL keeps the client API per thread, and a context of one API is made
// current (or released) under that API.
bool HeadlessGl::makeCurrent() {
    eglBindAPI(gles3_ ? EGL_OPENGL_ES_API : EGL_OPENGL_API);
    if (!eglMakeCurrent(display_, surface_, surface_, context_)) return false;
    setCurrentGlContextSerial(serial_);
    return true;
}

void HeadlessGl::releaseCurrent() {
    eglBindAPI(gles3_ ? EGL_OPENGL_ES_API : EGL_OPENGL_API);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    setCurrentGlContextSerial(0);
}

void HeadlessGl::swapBuffers() {
    eglSwapBuffers(display_, surface_);
}

std::vector<uint8_t> HeadlessGl::readPixels() const {
    std::vector<uint8_t> rgb;
    readPixels(rgb);
    return rgb;
}

void HeadlessGl::readPixels(std::vector<uint8_t>& rgb, bool topRowFirst) const {
    glReadBuffer(GL_BACK);
    if (!gles3_) {
        readRgbPixels(width_, height_, rgb, topRowFirst, rows_);
        return;
    }
    // OpenGL ES reads GL_RGBA of bytes from any colour buffer (GL_RGB only
    // where the implementation says so): read that and drop alpha.
    const size_t w = static_cast<size_t>(width_), h = static_cast<size_t>(height_);
    rows_.resize(w * h * 4);
    rgb.resize(w * h * 3);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rows_.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* from = rows_.data() + (topRowFirst ? h - 1 - y : y) * w * 4;
        uint8_t* to = rgb.data() + y * w * 3;
        for (size_t x = 0; x < w; ++x) {
            to[3 * x] = from[4 * x];
            to[3 * x + 1] = from[4 * x + 1];
            to[3 * x + 2] = from[4 * x + 2];
        }
    }
}

}  // namespace tev::platform
