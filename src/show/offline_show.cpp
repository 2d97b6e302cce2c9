#include "show/offline_show.h"

#include "proc/crt_random.h"
#include "show/frame_timer.h"
#include "show/reshape.h"
#include "show/show.h"

namespace tev {

namespace {
bool quitRequested = false;
void noteQuit() {
    quitRequested = true;
}
}  // namespace

std::unique_ptr<OfflineShow> OfflineShow::create(int width, int height, int fps, std::string* error,
                                                 const GlOptions& gl) {
    return make(width, height, fps, 0, 0, error, gl);
}

std::unique_ptr<OfflineShow> OfflineShow::createOnDisplay(int width, int height, int fps,
                                                          int displayWidth, int displayHeight,
                                                          std::string* error, const GlOptions& gl) {
    if (displayWidth <= 0 || displayHeight <= 0) {
        if (error) *error = "the display's size must be positive";
        return nullptr;
    }
    return make(width, height, fps, displayWidth, displayHeight, error, gl);
}

std::unique_ptr<OfflineShow> OfflineShow::make(int width, int height, int fps, int displayWidth,
                                               int displayHeight, std::string* error,
                                               const GlOptions& gl) {
    if (fps <= 0) {
        if (error) *error = "the frame rate must be positive";
        return nullptr;
    }
    std::unique_ptr<OfflineShow> show(new OfflineShow());
    show->display_ =
        platform::OfflineDisplay::create(width, height, displayWidth, displayHeight, error, gl);
    if (!show->display_) return nullptr;
    show->width_ = width;
    show->height_ = height;
    show->fps_ = fps;
    // The counter ticks once per frame, so each delta is exactly 1 / fps.
    show->clock_.frequency = static_cast<uint64_t>(fps);
    show->setClockTo(0);
    platform::setClock(&show->clock_);
    frameTimer() = FrameTimer(show->clock_);
    // Every offline show starts where the program does, so that a second one
    // in the same process (the other GL pipeline, say) draws the same frames:
    // the random generator at its seed and the kept values fresh; and counts
    // its own draws.
    srand(1);
    kept = KeptValues();
    drawContext.counts = DrawCounts{};
    quitRequested = false;
    setQuitRequest(noteQuit);
    showMusicEnabled = false;
    reshape(width, height);
    showSetup(show->drawTarget());
    return show;
}

OfflineShow::~OfflineShow() {
    showTeardown();
    display_.reset();
    setQuitRequest(nullptr);
    platform::setClock(nullptr);
    frameTimer() = FrameTimer(platform::systemClock());
    showMusicEnabled = true;
}

void OfflineShow::setClockTo(int64_t frame) {
    clockFrame_ = frame;
    clock_.seconds = static_cast<double>(frame) / fps_;
    clock_.counterValue = static_cast<uint64_t>(frame);
}

DrawTarget OfflineShow::drawTarget() const {
    return {.clipOriginUpperLeft = display_->clipOriginUpperLeft()};
}

void OfflineShow::present() {
    display_->present();
}

void OfflineShow::readPixels(std::vector<uint8_t>& rgb, bool topRowFirst) const {
    display_->readPicture(rgb, topRowFirst);
}

std::vector<uint8_t> OfflineShow::readDisplay() const {
    std::vector<uint8_t> rgb;
    display_->readDisplay(rgb);
    return rgb;
}

double OfflineShow::nextFrameTime() const {
    return static_cast<double>(frame_) / fps_;
}

void OfflineShow::drawNextFrame(GlStream stream) {
    drawContext.stream = stream;
    drawFrame();
    ++frame_;
    setClockTo(clockFrame_ + 1);
}

void OfflineShow::drawNextFrameUnseen() {
    drawContext.stream = GlStream::Built;  // the literal stream is never unseen
    drawUnseenFrame();
    ++frame_;
    setClockTo(clockFrame_ + 1);
}

void OfflineShow::skipTo(int64_t frame, const std::function<bool()>& afterEach) {
    while (frame_ < frame && !ended()) {
        drawNextFrameUnseen();
        if (afterEach && !afterEach()) break;
    }
}

void OfflineShow::restart() {
    showTeardown();
    quitRequested = false;
    showSetup(drawTarget());  // the show clock restarts at 0 from here
    frame_ = 0;
}

bool OfflineShow::ended() const {
    return quitRequested;
}

OfflineShow::Mark OfflineShow::mark() const {
    return Mark{frame_, clockFrame_, quitRequested, ShowStateSnapshot::take()};
}

void OfflineShow::returnTo(const Mark& mark) {
    frame_ = mark.frame;
    setClockTo(mark.clockFrame);
    quitRequested = mark.ended;
    mark.state.restore();
}

}  // namespace tev
