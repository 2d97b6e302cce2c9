#pragma once
// The show director: set-up and tear-down of a display cycle, the frame
// timeline, and the show's globals that the blocks and scenes read.

#include <cstdint>

namespace tev {

struct AppWindow;
struct KeyTable;

// The window record and key table that set-up was given; checkKeys and the
// end of the show use them.
extern AppWindow* showWindow;
extern KeyTable* showKeys;

// Origin of the show clock: tick seconds at the end of set-up, as a float.
extern float showStartSeconds;

// Seconds since the end of set-up, recomputed at the start of every frame.
extern float showClock;

// What the end of the show calls with the window record (the shell's
// requestQuit; the capture tool installs its own).
using QuitRequest = void (*)(AppWindow*);
void setQuitRequest(QuitRequest request);

// Makes everything a display cycle shows; the context must be current.
bool showSetup(AppWindow* window, KeyTable* keys);

// Releases what set-up put on the heap; before the window goes.
void showTeardown();

// Draws one frame of the show at the current show time.
void drawFrame();

// The show time now: tick seconds minus the origin, rounded to a float.
float computeShowClock();

}  // namespace tev
