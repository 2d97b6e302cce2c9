#pragma once
// Everything the show keeps at file scope, declared here and defined in
// show_state.cpp, nowhere else.
//
// Two kinds: what a display cycle makes and tears down (textures and scene
// objects), and the kept values that carry from one frame to the next and
// are never reset, not even by a new set-up. The kept values are one
// struct, so that a snapshot copies all of them: a value added to
// KeptValues is in every snapshot and every comparison of two.

#include <cstdint>
#include <memory>

#include "assets/texture.h"
#include "draw/draw_context.h"
#include "scenes/particle_scene.h"
#include "scenes/sprite_ring.h"
#include "scenes/waving_sheet.h"
#include "show/frame_timer.h"

namespace tev {

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

// Whether set-up starts the music (the offline player renders without it).
extern bool showMusicEnabled;

// What the show's draws decide by (draw/draw_context.h), handed to every
// block: set-up records the drawable's clip origin, drawFrame the frame's
// covers, OfflineShow the stream it is asked for (the built one otherwise).
// Its counts run from program start.
extern DrawContext drawContext;

struct KeptValues {
    float showClock = 0.0f;  // seconds since the end of set-up, set every frame
    int32_t pictureIndex = 0;
    float pictureTimer = 0.0f;
    int32_t letterCount = 0;
    float letterTimer = 0.0f;
    float wobbleGrid[64][2];  // every value 1.0 at program start

    KeptValues();
    bool operator==(const KeptValues&) const = default;
};
extern KeptValues kept;

// What a frame reads of the past: the kept values, the random generator,
// the frame timer and the one piece of GL state a frame reads before
// setting it, the clear colour (the last one the previous frame set).
// Taking one before a frame and restoring it lets the same frame be drawn
// again from the same inputs, once as the built show and once as the
// literal GL stream.
struct ShowStateSnapshot {
    // Both need the show's GL context current.
    static ShowStateSnapshot take();
    void restore() const;

    KeptValues kept;
    uint32_t randState = 0;
    FrameTimer frameTimer;
    float clearColour[4] = {};

    bool operator==(const ShowStateSnapshot&) const = default;
};

}  // namespace tev
