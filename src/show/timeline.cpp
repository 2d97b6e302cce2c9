#include <GL/gl.h>
#include <GL/glu.h>

#include "assets/gl_stream.h"
#include "platform/clock.h"
#include "proc/crt_random.h"
#include "scenes/lit_scene.h"
#include "show/blocks.h"
#include "show/frame_timer.h"
#include "show/show.h"

namespace tev {

namespace {
QuitRequest quitRequest = nullptr;
BlockHook blockHook = nullptr;
bool unseenFrame = false;  // drawUnseenFrame's

void enterBlock(int block) {
    if (blockHook != nullptr) blockHook(block);
}
}  // namespace

void setQuitRequest(QuitRequest request) {
    quitRequest = request;
}
void setBlockHook(BlockHook hook) {
    blockHook = hook;
}

float computeShowClock() {
    return static_cast<float>(platform::clock().tickSeconds() -
                              static_cast<double>(showStartSeconds));
}

float randomFraction() {
    return static_cast<float>(rand()) / 32768.0f;
}

void flatBlendState(GLenum destinationFactor) {
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, destinationFactor);
}

std::bitset<kBlockCount + 1> scheduledBlocks(float t) {
    std::bitset<kBlockCount + 1> on;
    on[kNoiseVeil] = t > 0.0f;
    on[kPictureShow] = t > 100.0f;
    on[kLogoWave] = t > 0.0f && t < 9910.0f;
    on[kTextureLayers] = t > 0.0f && t < 76.0f;
    on[kCubeRows] = t > 13.5f;
    on[kSheet] = t > 0.0f;
    on[kFogText] = t >= 40.0f;
    on[kCreditLine] = t > 0.0f && t < 16.0f;
    on[kLitSceneA] = t >= 46.0f && t < 76.0f;
    on[kLitSceneB] = t >= 76.0f && t < 100.0f;
    on[kWords] = t > wordCues[0].start;
    on[kClockReadout] = t > 100.0f;
    on[kBlackFadeIn] = t < 10.0f;
    on[kRing] = t > 45.0f;
    on[kWhiteFlash] = t > 109.5f;
    on[kShowEnd] = t > 130.0f;
    return on;
}

void drawUnseenFrame() {
    unseenFrame = true;
    drawFrame();
    unseenFrame = false;
}

void drawFrame() {
    kept.showClock = computeShowClock();
    const float t = kept.showClock;
    frameTimer().update();
    // The clear colour is the one the previous frame left (the sheet and the
    // ring set a warm grey), so black here only matters for the next clear
    // when neither draws.
    const auto on = scheduledBlocks(t);
    // Only the lit scenes test depth. In a frame without them nothing reads
    // the depth buffer, and the next frame that tests it clears it first, so
    // the built show clears the colour alone.
    const bool depthRead = literalGlStream || on[kLitSceneA] || on[kLitSceneB];
    // Unseen, every draw is as good as covered.
    const bool unseen = unseenFrame && !literalGlStream;
    if (!unseen) glClear(GL_COLOR_BUFFER_BIT | (depthRead ? GL_DEPTH_BUFFER_BIT : 0));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    auto run = [&](ShowBlock block, auto draw) {
        if (!on[block]) return;
        enterBlock(block);
        draw();
    };
    // Draws that a later full-opacity square of this frame paints over change
    // no pixel. Nothing before the flash tests depth then, and every block
    // keeps its state changes, so only their geometry goes.
    const bool flashCovers =
        !unseen && !literalGlStream && on[kWhiteFlash] && whiteFlashCoversView(t);
    const bool pictureCovers =
        !unseen && !literalGlStream && on[kPictureShow] && pictureShowCoversView(t);
    frameCoveredLater = unseen || flashCovers || pictureCovers;
    run(kNoiseVeil, [&] { drawNoiseVeil(t, !unseen); });
    frameCoveredLater = unseen || flashCovers;
    run(kPictureShow, [&] { drawPictureShow(t); });
    run(kLogoWave, [&] { drawLogoWave(t); });
    run(kTextureLayers, [&] { drawTextureLayers(t); });
    run(kCubeRows, [&] { drawCubeRows(t); });
    if (wavingSheet) run(kSheet, [&] { wavingSheet->drawSheet(t, 0.0f); });
    run(kFogText, [&] { drawFogText(t); });
    run(kCreditLine, [&] { drawCreditLine(t); });
    // Nothing after the lit scenes tests depth, and the next frame clears
    // it, so the depth they write is read by no one but themselves.
    run(kLitSceneA, [&] {
        noiseTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawLitScene(7.0f, -7.0f, -16.0f, t, 46.0f, false);
    });
    run(kLitSceneB, [&] {
        discTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        drawLitScene(1.0f, -2.0f, -10.0f, t, 76.0f, false);
    });
    if (on[kWords]) enterBlock(kWords);
    drawWords(t);  // each word starts at its own time
    run(kClockReadout, [&] { drawClockReadout(t); });
    run(kBlackFadeIn, [&] { drawBlackFadeIn(t); });
    if (spriteRing) run(kRing, [&] { spriteRing->draw(t, 45.0f, discTexture.textureName); });
    frameCoveredLater = unseen;
    run(kWhiteFlash, [&] { drawWhiteFlash(t); });
    frameCoveredLater = false;
    if (on[kShowEnd] && quitRequest != nullptr) quitRequest();
    enterBlock(0);
    if (!unseen) glFlush();
}

}  // namespace tev
