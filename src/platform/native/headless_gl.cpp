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

std::unique_ptr<HeadlessGl> HeadlessGl::create(int width, int height, std::string* error) {
    auto fail = [error](const char* why) -> std::unique_ptr<HeadlessGl> {
        if (error) *error = why;
        return nullptr;
    };
    if (width <= 0 || height <= 0) return fail("the size must be positive");
    EGLDisplay display = surfacelessDisplay();
    if (display == EGL_NO_DISPLAY) return fail("no EGL surfaceless display (Mesa's EGL needed)");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return fail("eglInitialize failed");
    if (!eglBindAPI(EGL_OPENGL_API)) return fail("EGL offers no desktop OpenGL");

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       16,
                                       EGL_NONE};
    // EGL lists deeper colour first (Mesa offers 10 bits a channel), but the
    // show's window has 8 bits a channel, no alpha and 16 depth bits, and
    // blending rounds differently at other depths: take that format when
    // it is offered.
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, nullptr, 0, &count) || count == 0) {
        return fail("no EGL configuration with a pbuffer and 16 depth bits");
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    eglChooseConfig(display, configAttributes, configs.data(), count, &count);
    EGLConfig config = configs[0];
    for (int i = 0; i < count; ++i) {
        auto attribute = [&](EGLint name) {
            EGLint value = -1;
            eglGetConfigAttrib(display, configs[static_cast<size_t>(i)], name, &value);
            return value;
        };
        if (attribute(EGL_RED_SIZE) == 8 && attribute(EGL_GREEN_SIZE) == 8 &&
            attribute(EGL_BLUE_SIZE) == 8 && attribute(EGL_ALPHA_SIZE) == 0 &&
            attribute(EGL_DEPTH_SIZE) == 16 && attribute(EGL_SAMPLES) == 0) {
            config = configs[static_cast<size_t>(i)];
            break;
        }
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) return fail("eglCreatePbufferSurface failed");
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
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
    if (!gl->makeCurrent()) return fail("eglMakeCurrent failed");
    return gl;
}

HeadlessGl::~HeadlessGl() {
    if (currentGlContextSerial() == serial_) releaseCurrent();
    eglDestroyContext(display_, context_);
    eglDestroySurface(display_, surface_);
}

bool HeadlessGl::makeCurrent() {
    if (!eglMakeCurrent(display_, surface_, surface_, context_)) return false;
    setCurrentGlContextSerial(serial_);
    return true;
}

void HeadlessGl::releaseCurrent() {
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
    readRgbPixels(width_, height_, rgb, topRowFirst, rows_);
}

}  // namespace tev::platform
