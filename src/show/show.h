#pragma once
// The show director: set-up and tear-down of a display cycle, the frame
// timeline, and the show's globals that the blocks and scenes read.

#include <cstdint>
#include <memory>

#include "assets/gl_stream.h"  // literalGlStream: the built show or the literal GL stream
#include "assets/texture.h"
#include "scenes/particle_scene.h"
#include "scenes/sprite_ring.h"
#include "scenes/waving_sheet.h"

namespace tev {

struct AppWindow;
struct KeyTable;

// The window record and key table that set-up was given; checkKeys and the
// end of the show use them.
extern AppWindow* showWindow;
extern KeyTable* showKeys;

// The pack the pictures and the sheet are read from.
extern char packPath[64];

// Textures made by set-up.
extern std::unique_ptr<Texture[]> layerTextures;  // 8; entries 0-2 composed
extern Texture logoTexture;
extern Texture discTexture;
extern Texture pictures[16];
extern Texture noiseTexture;  // 64 x 64, refilled and uploaded every frame

// The scene objects of a display cycle.
extern std::unique_ptr<SpriteRing> spriteRing;
extern std::unique_ptr<ParticleScene> particleScene;
extern std::unique_ptr<WavingSheet> wavingSheet;

// Origin of the show clock: tick seconds at the end of set-up, as a float.
extern float showStartSeconds;

// Seconds since the end of set-up, recomputed at the start of every frame.
extern float showClock;

// Values the blocks keep from frame to frame. Set once when the program
// starts; a new set-up does not reset them.
extern int32_t pictureIndex;
extern float pictureTimer;
extern int32_t letterCount;
extern float letterTimer;
extern float wobbleGrid[64][2];

// Whether set-up starts the music (the offline player renders without it).
extern bool showMusicEnabled;

// What the end of the show calls with the window record (the shell's
// requestQuit; the capture tool installs its own).
using QuitRequest = void (*)(AppWindow*);
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

// Makes everything a display cycle shows; the context must be current.
bool showSetup(AppWindow* window, KeyTable* keys);

// Releases what set-up put on the heap; before the window goes.
void showTeardown();

// Draws one frame of the show at the current show time.
void drawFrame();

// The show time now: tick seconds minus the origin, rounded to a float.
float computeShowClock();

}  // namespace tev
