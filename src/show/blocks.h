#pragma once
// The timeline's scene blocks and the pure rules they follow. Each block
// reads the show time t and draws only what its window of time allows;
// drawFrame runs them in one fixed order and hands each the show's draw
// context (draw/draw_context.h).

#include <bitset>
#include <cstdint>
#include <string>

#include "draw/draw_context.h"
#include "gl11/gl11.h"

namespace tev {

// The sixteen blocks, in drawing order.
enum ShowBlock : int {
    kNoiseVeil = 1,
    kPictureShow,
    kLogoWave,
    kTextureLayers,
    kCubeRows,
    kSheet,
    kFogText,
    kCreditLine,
    kLitSceneA,
    kLitSceneB,
    kWords,
    kClockReadout,
    kBlackFadeIn,
    kRing,
    kWhiteFlash,
    kShowEnd,
    kBlockCount = kShowEnd,
};

// A block's name as a reader knows it ("noise veil"); "" for a number that
// names no block.
const char* blockName(int block);

// Which blocks run at show time t (bit n for block n).
std::bitset<kBlockCount + 1> scheduledBlocks(float t);

// The state most blocks open with: fog, lighting, culling and depth test
// off, blending on with GL_SRC_ALPHA and the given destination factor.
void flatBlendState(GLenum destinationFactor);

// One random fraction in [0, 1): rand() / 32768.
float randomFraction();

// Overlays.
// Unseen (see drawFrame) the veil makes its random draws but not its noise:
// the next frame makes all of it anew before anything shows it.
void drawNoiseVeil(DrawContext& context, float t, bool seen = true);
void drawPictureShow(DrawContext& context, float t);
void drawBlackFadeIn(DrawContext& context, float t);
void drawWhiteFlash(DrawContext& context, float t);
float pictureShowAlpha(float t);
float whiteFlashAlpha(float t);
// Whether a later draw of the frame at time t paints every pixel at full
// opacity: the white flash (over blocks 1 to 14), or the opaque picture
// show (over the noise veil).
bool whiteFlashCoversView(float t);
bool pictureShowCoversView(float t);
// Adds delta to the timer; past 0.125 s, one step of the index (at most 14)
// with the excess carried over.
void pictureStep(int32_t& index, float& timer, double delta);

// Grid scenes.
void drawLogoWave(DrawContext& context, float t);
void drawTextureLayers(DrawContext& context, float t);
void fillLogoWaveGrid(float t, float grid[64][2]);
void fillTextureLayersGrid(float t, float grid[64][2]);
float logoWaveAlpha(float t);

// Cube rows.
void drawCubeRows(DrawContext& context, float t);

// Text scenes.
extern const char fogText[];
extern const char creditLine[];
void drawFogText(DrawContext& context, float t);
void drawCreditLine(DrawContext& context, float t);
void drawClockReadout(DrawContext& context, float t);
std::string clockReadoutText(float t);
float clockReadoutBrightness(float t);

// Word display.
struct WordCue {
    const char* word;
    float start;
    float x, y, z;
    float duration;
};
extern const WordCue wordCues[8];
void drawWords(DrawContext& context, float t);
void drawWord(DrawContext& context, const char* word, float x, float y, float z,
              float letterInterval, int32_t& counter, float now, float start, float duration);
// Adds delta to the shared timer; past the interval, one more letter
// (clamped to 0..wordLength) with the excess carried over.
void letterStep(int32_t& counter, float& timer, double delta, float interval, int32_t wordLength);
float wordOpacity(float elapsed, float duration);

}  // namespace tev
