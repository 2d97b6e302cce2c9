#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/clock.h"
#include "proc/crt_random.h"
#include "scenes/lit_scene.h"
#include "shell/frame_timer.h"
#include "show/blocks.h"
#include "show/show.h"

namespace tev {

float showClock = 0.0f;

namespace {
QuitRequest quitRequest = nullptr;
}  // namespace

void setQuitRequest(QuitRequest request) { quitRequest = request; }

float computeShowClock() {
    return static_cast<float>(platform::clock().tickSeconds() -
                              static_cast<double>(showStartSeconds));
}

float randomFraction() { return static_cast<float>(rand()) / 32768.0f; }

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

void drawFrame() {
    showClock = computeShowClock();
    const float t = showClock;
    frameTimer().update();
    // The clear colour is the one the previous frame left (the sheet and the
    // ring set a warm grey), so black here only matters for the next clear
    // when neither draws.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const auto on = scheduledBlocks(t);
    if (on[kNoiseVeil]) drawNoiseVeil(t);
    if (on[kPictureShow]) drawPictureShow(t);
    if (on[kLogoWave]) drawLogoWave(t);
    if (on[kTextureLayers]) drawTextureLayers(t);
    if (on[kCubeRows]) drawCubeRows(t);
    if (on[kSheet] && wavingSheet) wavingSheet->drawSheet(t, 0.0f);
    if (on[kFogText]) drawFogText(t);
    if (on[kCreditLine]) drawCreditLine(t);
    if (on[kLitSceneA]) {
        noiseTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawLitScene(7.0f, -7.0f, -16.0f, t, 46.0f);
    }
    if (on[kLitSceneB]) {
        discTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        drawLitScene(1.0f, -2.0f, -10.0f, t, 76.0f);
    }
    drawWords(t);  // each word starts at its own time
    if (on[kClockReadout]) drawClockReadout(t);
    if (on[kBlackFadeIn]) drawBlackFadeIn(t);
    if (on[kRing] && spriteRing) spriteRing->draw(t, 45.0f, discTexture.textureName);
    if (on[kWhiteFlash]) drawWhiteFlash(t);
    if (on[kShowEnd] && quitRequest != nullptr) quitRequest(showWindow);
    glFlush();
}

}  // namespace tev
