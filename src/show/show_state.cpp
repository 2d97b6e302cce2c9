#include "show/show_state.h"

#include <GL/gl.h>

#include <algorithm>

#include "proc/crt_random.h"
#include "show/show.h"

namespace tev {

ShowStateSnapshot ShowStateSnapshot::take() {
    ShowStateSnapshot s{tev::randState(), tev::pictureIndex, tev::pictureTimer, tev::letterCount,
                        tev::letterTimer, tev::showClock,    tev::frameTimer()};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColour);
    return s;
}

void ShowStateSnapshot::restore() const {
    srand(randState);
    tev::pictureIndex = pictureIndex;
    tev::pictureTimer = pictureTimer;
    tev::letterCount = letterCount;
    tev::letterTimer = letterTimer;
    tev::showClock = showClock;
    tev::frameTimer() = frameTimer;
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

bool ShowStateSnapshot::operator==(const ShowStateSnapshot& o) const {
    const FrameTimer& a = frameTimer;
    const FrameTimer& b = o.frameTimer;
    return randState == o.randState && pictureIndex == o.pictureIndex &&
           pictureTimer == o.pictureTimer && letterCount == o.letterCount &&
           letterTimer == o.letterTimer && showClock == o.showClock && a.now == b.now &&
           a.previous == b.previous && a.delta == b.delta && a.updateCount == b.updateCount &&
           a.lastSample == b.lastSample && a.stallCount == b.stallCount &&
           std::equal(clearColour, clearColour + 4, o.clearColour);
}

}  // namespace tev
