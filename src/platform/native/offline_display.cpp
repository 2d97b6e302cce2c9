#include "platform/display.h"
#include "platform/native/headless_gl.h"
#include "platform/native/offscreen_picture.h"
#include "platform/native/subset_pipeline.h"

namespace tev::platform {

// EGL's surfaceless context, and on a display the offscreen picture the
// show draws into.
struct OfflineDisplay::Parts {
    std::unique_ptr<HeadlessGl> gl;
    std::unique_ptr<OffscreenPicture> picture;  // on a display only
    bool subset = false;                        // the GL subset answers the show's calls
};

std::unique_ptr<OfflineDisplay> OfflineDisplay::create(int width, int height, int displayWidth,
                                                       int displayHeight, std::string* error,
                                                       const Options& options) {
    auto parts = std::make_unique<Parts>();
    const bool onDisplay = displayWidth > 0;
    const bool subset = options.pipeline == GlPipeline::Subset;
    HeadlessGlOptions glOptions;
    glOptions.gles3 = subset;
    // On a display the picture has the colour bits asked for; the display
    // itself is a desktop's, 8 bits a channel.
    glOptions.colourBits = onDisplay ? 32 : options.bitsPerPixel;
    parts->gl = HeadlessGl::create(onDisplay ? displayWidth : width,
                                   onDisplay ? displayHeight : height, error, glOptions);
    if (!parts->gl) return nullptr;
    if (onDisplay) {
        parts->picture = OffscreenPicture::create(width, height, options.bitsPerPixel, error);
        if (!parts->picture) return nullptr;
    }
    if (subset && !startSubsetPipeline(error)) {
        parts->picture.reset();
        return nullptr;
    }
    parts->subset = subset;
    return std::unique_ptr<OfflineDisplay>(new OfflineDisplay(std::move(parts)));
}

OfflineDisplay::OfflineDisplay(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

OfflineDisplay::~OfflineDisplay() {
    // What the subset made and the picture's framebuffer go while their
    // context is still there.
    if (parts_->subset) stopSubsetPipeline();
    parts_->picture.reset();
}

void OfflineDisplay::present() {
    if (parts_->picture) parts_->picture->present(parts_->gl->width(), parts_->gl->height());
    parts_->gl->swapBuffers();
}

void OfflineDisplay::readPicture(std::vector<uint8_t>& rgb, bool topRowFirst) const {
    if (parts_->picture) {
        parts_->picture->readPixels(rgb, topRowFirst);
    } else {
        parts_->gl->readPixels(rgb, topRowFirst);
    }
}

void OfflineDisplay::readDisplay(std::vector<uint8_t>& rgb) const {
    if (parts_->picture) {
        parts_->picture->readDrawable(parts_->gl->width(), parts_->gl->height(), rgb);
    } else {
        parts_->gl->readPixels(rgb);
    }
}

bool OfflineDisplay::clipOriginUpperLeft() const {
    return parts_->picture && parts_->picture->clipOriginUpperLeft();
}

int OfflineDisplay::displayWidth() const {
    return parts_->gl->width();
}

int OfflineDisplay::displayHeight() const {
    return parts_->gl->height();
}

}  // namespace tev::platform
