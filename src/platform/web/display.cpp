// The display in a page: the window is the page's canvas (#canvas), its GL
// context WebGL 2 with the GL subset answering the show's calls, and its
// events the page's keys. A fullscreen window puts the canvas in the
// browser's fullscreen (the Fullscreen API), drawn at the size asked for and
// scaled by the page's style with its shape kept, between black bars.
// The show draws into a picture of the window's own (window_picture.h), with
// the buffers a desktop window of its depth has. Swapping the buffers copies
// that picture onto the canvas; the browser presents it when the frame's
// callback returns.

#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <string>

#include "gl11/subset.h"
#include "platform/dialog_view.h"
#include "platform/display.h"
#include "platform/gl_context_serial.h"
#include "platform/web/window_picture.h"

namespace tev::platform {

struct NativeWindow {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    bool fullscreen = false;
};

namespace {

constexpr const char* kCanvas = "#canvas";

struct Context {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = 0;
    NativeWindow* window = nullptr;
    uint64_t serial = 0;
    bool attached = false;
    WindowPicture picture;
};

Context* currentContext = nullptr;

EventQueue* connectedQueue = nullptr;
NativeWindow* eventsWindow = nullptr;

}  // namespace

bool initWindowSystem() {
    return true;
}

void quitWindowSystem() {}

// A page cannot change the display's mode: its fullscreen always scales.
bool changeDisplayMode(int, int, int) {
    return false;
}

void forgetDisplayMode() {}

bool startModeGuardian() {
    return false;
}

void showCursor(bool visible) {
    EM_ASM({ document.getElementById("canvas").style.cursor = $0 ? "auto" : "none"; }, visible);
}

NativeWindow* createWindow(const WindowRequest& request) {
    if (request.width <= 0 || request.height <= 0) return nullptr;
    if (emscripten_set_canvas_element_size(kCanvas, request.width, request.height) !=
        EMSCRIPTEN_RESULT_SUCCESS) {
        return nullptr;
    }
    auto* window =
        new NativeWindow{request.width, request.height, request.bitsPerPixel, request.fullscreen};
    // The page's script puts the canvas in the browser's fullscreen (or
    // takes it out), and shows it.
    EM_ASM(
        {
            if (Module.tevShowWindow) Module.tevShowWindow($0);
        },
        request.fullscreen);
    return window;
}

void destroyWindow(NativeWindow* window) {
    if (window == eventsWindow) {
        eventsWindow = nullptr;
        connectedQueue = nullptr;
    }
    delete window;
}

void showWindow(NativeWindow*) {}

GlContext createGlContext(NativeWindow* window) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = false;
    attributes.depth = false;  // the show draws into the window's framebuffer
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = false;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle =
        emscripten_webgl_create_context(kCanvas, &attributes);
    if (handle <= 0) {
        std::fprintf(stderr, "tev: the browser gives this page no WebGL 2\n");
        return nullptr;
    }
    return new Context{handle, window, newGlContextSerial(), false, {}};
}

bool makeCurrent(NativeWindow*, GlContext glContext) {
    auto* context = static_cast<Context*>(glContext);
    if (emscripten_webgl_make_context_current(context->handle) != EMSCRIPTEN_RESULT_SUCCESS) {
        return false;
    }
    setCurrentGlContextSerial(context->serial);
    currentContext = context;
    const NativeWindow& window = *context->window;
    if (context->picture.framebuffer == 0 &&
        !context->picture.make(window.width, window.height, window.bitsPerPixel)) {
        std::fprintf(stderr, "tev: WebGL 2 cannot make the show's picture\n");
        return false;
    }
    if (!context->attached) {
        // The subset reads the bound framebuffer's colour bits: in a 5-6-5
        // one the GPU rounds and blends for it.
        gl11::SubsetOptions options;
        options.colourBits = context->window->bitsPerPixel == 16 ? 16 : 32;
        std::string error;
        if (!gl11::attachSubset(options, &error)) {
            std::fprintf(stderr, "tev: the GL subset cannot run here: %s\n", error.c_str());
            return false;
        }
        context->attached = true;
    }
    return true;
}

void releaseCurrent(NativeWindow*) {}

void deleteGlContext(GlContext glContext) {
    auto* context = static_cast<Context*>(glContext);
    if (context == nullptr) return;
    if (context->attached &&
        emscripten_webgl_make_context_current(context->handle) == EMSCRIPTEN_RESULT_SUCCESS) {
        gl11::detachSubset();
    }
    context->picture.release();
    if (currentContext == context) currentContext = nullptr;
    gl11::use(gl11::Entries{});
    emscripten_webgl_make_context_current(0);
    emscripten_webgl_destroy_context(context->handle);
    setCurrentGlContextSerial(0);
    delete context;
}

// The browser's animation frames keep to the display's refresh.
void requestVsync() {}

// The window's picture onto the canvas, one to one (the page's style scales
// the canvas in fullscreen).
void swapBuffers(NativeWindow* window) {
    Context* context = currentContext;
    if (context == nullptr || context->window != window || context->picture.framebuffer == 0) {
        return;
    }
    context->picture.copyToCanvas(0, 0, window->width, window->height, false);
}

void drawableSize(NativeWindow* window, int* width, int* height) {
    *width = window->width;
    *height = window->height;
}

bool drawsClipOriginUpperLeft(NativeWindow*) {
    return false;
}

void connectEvents(EventQueue& queue, NativeWindow* window) {
    connectedQueue = &queue;
    eventsWindow = window;
}

bool windowTakenAway() {
    return false;
}

// A page shows its own form instead of the dialog, before the program
// starts, and hands it the choice.
int runDialog(const DialogTemplate&, DialogState&, const DialogProc&) {
    return -1;
}

}  // namespace tev::platform

extern "C" {

// A key of the page, pressed (down 1) or released, by its virtual-key code:
// into the window's events while a window has them.
EMSCRIPTEN_KEEPALIVE void tevWebKey(int code, int down) {
    using namespace tev::platform;
    if (connectedQueue == nullptr || code < 0) return;
    connectedQueue->post(
        {down ? EventType::KeyDown : EventType::KeyUp, static_cast<uint32_t>(code)});
}

// The browser left fullscreen by itself (its own Escape): as F1 does, the
// show starts again windowed.
EMSCRIPTEN_KEEPALIVE void tevWebLeftFullscreen() {
    using namespace tev::platform;
    if (connectedQueue == nullptr || eventsWindow == nullptr || !eventsWindow->fullscreen) return;
    connectedQueue->post({EventType::ModeToggle});
}

}  // extern "C"
