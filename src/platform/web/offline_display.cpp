// The display with no window, in a page: a WebGL 2 context on the page's
// canvas (#canvas), with the GL subset answering the show's calls. The show
// draws into a picture of its own with the buffers of a desktop window of
// its depth, as the page's window does (window_picture.h: the same picture,
// drawn as fast), and no antialiasing. On a
// display, present() scales that picture onto the canvas between black bars.

#include <GLES3/gl3.h>
#include <emscripten/html5.h>

#include <algorithm>

#include "gl11/subset.h"
#include "platform/display.h"
#include "platform/gl_context_serial.h"
#include "platform/web/window_picture.h"

namespace tev::platform {

namespace {
constexpr const char* kCanvas = "#canvas";
}

struct OfflineDisplay::Parts {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    WindowPicture picture;
    int width = 0;
    int height = 0;
    int displayWidth = 0;
    int displayHeight = 0;
    bool attached = false;
    uint64_t serial = 0;
    mutable std::vector<uint8_t> rows;  // RGBA, bottom row first, as GL reads

    ~Parts() {
        if (!context) return;
        emscripten_webgl_make_context_current(context);
        if (attached) gl11::detachSubset();
        gl11::use(gl11::Entries{});
        picture.release();
        emscripten_webgl_destroy_context(context);
        setCurrentGlContextSerial(0);
    }

    // Reads the bound read framebuffer's w x h pixels as RGB, dropping alpha,
    // top row first when asked.
    void read(int w, int h, std::vector<uint8_t>& rgb, bool topRowFirst) const {
        rows.resize(static_cast<size_t>(w) * h * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        rgb.resize(static_cast<size_t>(w) * h * 3);
        for (int y = 0; y < h; ++y) {
            const int from = topRowFirst ? h - 1 - y : y;
            const uint8_t* in = rows.data() + static_cast<size_t>(from) * w * 4;
            uint8_t* out = rgb.data() + static_cast<size_t>(y) * w * 3;
            for (int x = 0; x < w; ++x) {
                out[x * 3] = in[x * 4];
                out[x * 3 + 1] = in[x * 4 + 1];
                out[x * 3 + 2] = in[x * 4 + 2];
            }
        }
    }
};

std::unique_ptr<OfflineDisplay> OfflineDisplay::create(int width, int height, int displayWidth,
                                                       int displayHeight, std::string* error,
                                                       const Options& options) {
    auto fail = [error](const std::string& reason) {
        if (error) *error = reason;
        return nullptr;
    };
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        return fail("the picture's size must be between 1 and 8192");
    }
    if (options.bitsPerPixel != 16 && options.bitsPerPixel != 32) {
        return fail("the colour depth must be 16 or 32 bits");
    }
    auto parts = std::make_unique<Parts>();
    parts->width = width;
    parts->height = height;
    parts->displayWidth = displayWidth > 0 ? displayWidth : width;
    parts->displayHeight = displayWidth > 0 ? displayHeight : height;
    if (emscripten_set_canvas_element_size(kCanvas, parts->displayWidth, parts->displayHeight) !=
        EMSCRIPTEN_RESULT_SUCCESS) {
        return fail("the page has no canvas to draw on");
    }
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = false;
    attributes.depth = false;  // the show draws into its own framebuffer
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = true;
    attributes.premultipliedAlpha = false;
    parts->context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (parts->context <= 0) {
        parts->context = 0;
        return fail("the browser gives this page no WebGL 2");
    }
    emscripten_webgl_make_context_current(parts->context);
    parts->serial = newGlContextSerial();
    setCurrentGlContextSerial(parts->serial);

    if (!parts->picture.make(width, height, options.bitsPerPixel)) {
        return fail("WebGL 2 cannot make the show's picture");
    }
    gl11::SubsetOptions subset;
    subset.colourBits = options.bitsPerPixel;
    if (!gl11::attachSubset(subset, error)) return nullptr;
    parts->attached = true;
    return std::unique_ptr<OfflineDisplay>(new OfflineDisplay(std::move(parts)));
}

OfflineDisplay::OfflineDisplay(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

OfflineDisplay::~OfflineDisplay() = default;

void OfflineDisplay::present() {
    Parts& p = *parts_;
    // The picture onto the canvas: scaled with its shape kept, between black
    // bars, as a fullscreen window shows it; without a display, one to one.
    const int w = p.displayWidth, h = p.displayHeight;
    int outW = w, outH = h;
    if (static_cast<int64_t>(w) * p.height > static_cast<int64_t>(h) * p.width) {
        outW = static_cast<int>(static_cast<int64_t>(h) * p.width / p.height);
    } else {
        outH = static_cast<int>(static_cast<int64_t>(w) * p.height / p.width);
    }
    p.picture.copyToCanvas((w - outW) / 2, (h - outH) / 2, outW, outH, true);
}

void OfflineDisplay::readPicture(std::vector<uint8_t>& rgb, bool topRowFirst) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, parts_->picture.framebuffer);
    parts_->read(parts_->width, parts_->height, rgb, topRowFirst);
}

void OfflineDisplay::readDisplay(std::vector<uint8_t>& rgb) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    parts_->read(parts_->displayWidth, parts_->displayHeight, rgb, true);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, parts_->picture.framebuffer);
}

bool OfflineDisplay::clipOriginUpperLeft() const {
    return false;
}

int OfflineDisplay::displayWidth() const {
    return parts_->displayWidth;
}

int OfflineDisplay::displayHeight() const {
    return parts_->displayHeight;
}

}  // namespace tev::platform
