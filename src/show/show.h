#pragma once
// The show director: set-up and tear-down of a display cycle, the frame
// timeline, and the show's globals that the blocks and scenes read.

#include <cstdint>
#include <memory>

#include "show/show_state.h"

namespace tev {

// What the end of the show calls (the shell's requestQuit for its window;
// the capture tool installs its own).
using QuitRequest = void (*)();
void setQuitRequest(QuitRequest request);

// Timing seams, unset by default (then each costs one test of a pointer).
// The set-up hook is called as each step of set-up starts, with the step's
// name, and with nullptr when set-up ends. The block hook is called before
// each block of the timeline that runs, with its number, and with 0 after
// the last block of the frame, before the frame's glFlush.
using SetupStepHook = void (*)(const char* step);
void setSetupStepHook(SetupStepHook hook);
using BlockHook = void (*)(int block);
void setBlockHook(BlockHook hook);

// Called now and then while set-up waits for the sound server (the shell
// takes the window's events there); false ends the wait and set-up with it.
using SetupWaitHook = bool (*)();
void setSetupWaitHook(SetupWaitHook hook);

// What set-up is told of the drawable a display cycle draws into.
struct DrawTarget {
    // Drawn with the clip origin at the upper left (an offscreen picture
    // that needs it, platform/native/offscreen_picture.h).
    bool clipOriginUpperLeft = false;
};

// Makes everything a display cycle shows; the context must be current.
// False when a caught termination signal stopped it between two steps, or
// when the wait hook ended it: the cycle then ends for good.
bool showSetup(const DrawTarget& target);

// Releases what set-up put on the heap; before the window goes.
void showTeardown();

// Draws one frame of the show at the current show time.
void drawFrame();

// The same frame unseen, only to reach a later one: it leaves the very state
// for the next frame that drawFrame leaves, and sends no pixel work (no
// clear, no geometry, no flush).
void drawUnseenFrame();

// The show time now: tick seconds minus the origin, rounded to a float.
float computeShowClock();

// Puts the show clock's origin where the music's first sample is heard (or
// was), as the sound output says now. Set-up does so once, from the output's
// latency; a program whose output knows what it plays at every moment (a
// page's audio clock, which also starts in the browser's own time) calls
// this before each frame, and picture and sound stay in step whatever the
// start and the drift: until the output runs, the show waits for it.
// Nothing changes without music, or with no song playing.
void followHeardMusic();

}  // namespace tev
