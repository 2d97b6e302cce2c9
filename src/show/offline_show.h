#pragma once
// The show played without a window or a sound device: a headless GL
// context, and a virtual clock under which frame k is drawn at show time
// k / fps and the frame timer advances by exactly 1 / fps. Every run gives
// the same frames. Used by the capture tool, the benchmarks and the tests.
//
// Given a display size, it plays the show as a fullscreen window does: the
// show draws into an offscreen picture of its own size, and present()
// scales that onto a drawable of the display's size between black bars.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/display.h"
#include "show/show.h"
#include "show/show_state.h"

namespace tev {

class OfflineShow {
  public:
    // Makes the context and runs set-up (without music). Null, with the
    // reason, when no headless context can be made.
    // `gl` chooses what answers the show's GL calls (Mesa's pipeline or the
    // subset) and the colour bits of the picture.
    using GlOptions = platform::OfflineDisplay::Options;
    static std::unique_ptr<OfflineShow> create(int width, int height, int fps, std::string* error,
                                               const GlOptions& gl = {});
    // The same drawn as on a display of that size (see above).
    static std::unique_ptr<OfflineShow> createOnDisplay(int width, int height, int fps,
                                                        int displayWidth, int displayHeight,
                                                        std::string* error,
                                                        const GlOptions& gl = {});
    ~OfflineShow();
    OfflineShow(const OfflineShow&) = delete;
    OfflineShow& operator=(const OfflineShow&) = delete;

    // Draws the next frame, sent as `stream` (draw/draw_context.h), and
    // moves the clock on by one frame.
    void drawNextFrame(GlStream stream = GlStream::Built);
    // The same unseen (see skipTo), in the built stream.
    void drawNextFrameUnseen();
    // What the built stream left out or sent more cheaply since the program
    // started.
    const DrawCounts& drawCounts() const { return drawContext.counts; }

    // Plays on until `frame` is the next frame (or the show ends) without
    // keeping the pictures. What a frame leaves for the next (the kept
    // values, the random draws, the frame timer, the GL state) depends on
    // the frame step, never on its pixels, so these frames are drawn unseen,
    // with no pixel work, and cost the same whatever the show's size; the
    // frames drawn after are byte for byte those of playing every one.
    // `afterEach`, when given, is called after each frame; false stops
    // there.
    void skipTo(int64_t frame, const std::function<bool()>& afterEach = {});

    // Ends the frame as the window's loop does, with a buffer swap; offscreen
    // that changes no pixel, but GL trace tools count frames by it. On a
    // display, the picture is scaled onto it first.
    void present();

    // Tears the show down and sets it up again at the current time, as a
    // display-mode toggle does (the kept values carry over).
    void restart();

    // A place in the show: the next frame, the clock and the show's state.
    // Going back to a mark draws the same frames again from the same inputs.
    struct Mark {
        int64_t frame;
        int64_t clockFrame;
        bool ended;
        ShowStateSnapshot state;
    };
    Mark mark() const;
    void returnTo(const Mark& mark);

    // The show asked to quit (its end has passed).
    bool ended() const;

    // The index and show time of the next frame to be drawn.
    int64_t nextFrame() const { return frame_; }
    double nextFrameTime() const;
    int fps() const { return fps_; }

    // The last frame drawn, RGB, top row first.
    std::vector<uint8_t> readPixels() const {
        std::vector<uint8_t> rgb;
        readPixels(rgb);
        return rgb;
    }
    void readPixels(std::vector<uint8_t>& rgb, bool topRowFirst = true) const;
    int width() const { return width_; }
    int height() const { return height_; }

    // On a display: what the last present() showed there, RGB, top row
    // first; the display's size.
    std::vector<uint8_t> readDisplay() const;
    int displayWidth() const { return display_->displayWidth(); }
    int displayHeight() const { return display_->displayHeight(); }

  private:
    OfflineShow() = default;
    void setClockTo(int64_t frame);
    DrawTarget drawTarget() const;

    static std::unique_ptr<OfflineShow> make(int width, int height, int fps, int displayWidth,
                                             int displayHeight, std::string* error,
                                             const GlOptions& gl);

    std::unique_ptr<platform::OfflineDisplay> display_;
    int width_ = 0;
    int height_ = 0;
    platform::ManualClock clock_;
    int fps_ = 60;
    int64_t frame_ = 0;       // frames drawn since the show started
    int64_t clockFrame_ = 0;  // frames since the clock started (it runs on across restarts)
};

}  // namespace tev
