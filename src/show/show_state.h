#pragma once
// What the show carries from one frame to the next: the random generator,
// the kept values of the picture show and the word display, the frame
// timer, the show clock, and the one piece of GL state a frame reads before
// setting it, the clear colour (the last one the previous frame set). Taking a snapshot before a
// frame and restoring it lets the same frame be drawn again from the same inputs, for instance once
// as the built show and once as the literal GL stream.

#include <cstdint>

#include "shell/frame_timer.h"

namespace tev {

struct ShowStateSnapshot {
    // Both need the show's GL context current.
    static ShowStateSnapshot take();
    void restore() const;

    uint32_t randState = 0;
    int32_t pictureIndex = 0;
    float pictureTimer = 0.0f;
    int32_t letterCount = 0;
    float letterTimer = 0.0f;
    float showClock = 0.0f;
    FrameTimer frameTimer;
    float clearColour[4] = {};

    bool operator==(const ShowStateSnapshot& other) const;
};

}  // namespace tev
