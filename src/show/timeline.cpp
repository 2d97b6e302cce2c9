#include "draw/draw_context.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
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

const char* blockName(int block) {
    switch (static_cast<ShowBlock>(block)) {
        case kNoiseVeil:
            return "noise veil";
        case kPictureShow:
            return "picture show";
        case kLogoWave:
            return "logo wave";
        case kTextureLayers:
            return "texture layers";
        case kCubeRows:
            return "cube rows";
        case kSheet:
            return "sheet";
        case kFogText:
            return "fog text";
        case kCreditLine:
            return "credit line";
        case kLitSceneA:
            return "lit scene A";
        case kLitSceneB:
            return "lit scene B";
        case kWords:
            return "words";
        case kClockReadout:
            return "clock readout";
        case kBlackFadeIn:
            return "black fade-in";
        case kRing:
            return "ring";
        case kWhiteFlash:
            return "white flash";
        case kShowEnd:
            return "end";
    }
    return "";
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
    DrawContext& context = drawContext;
    const bool depthRead = context.literal() || on[kLitSceneA] || on[kLitSceneB];
    // Unseen, every draw is as good as covered.
    const bool unseen = unseenFrame && !context.literal();
    if (!unseen) glClear(GL_COLOR_BUFFER_BIT | (depthRead ? GL_DEPTH_BUFFER_BIT : 0));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    loadPerspective(60.0, 1.0, 1.0, 1000.0);

    auto run = [&](ShowBlock block, auto draw) {
        if (!on[block]) return;
        enterBlock(block);
        draw();
    };
    // Draws that a later full-opacity square of this frame paints over change
    // no pixel. Nothing before the flash tests depth then, and every block
    // keeps its state changes, so only their geometry goes.
    const bool flashCovers =
        !unseen && !context.literal() && on[kWhiteFlash] && whiteFlashCoversView(t);
    const bool pictureCovers =
        !unseen && !context.literal() && on[kPictureShow] && pictureShowCoversView(t);
    context.coveredLater = unseen || flashCovers || pictureCovers;
    run(kNoiseVeil, [&] { drawNoiseVeil(context, t, !unseen); });
    context.coveredLater = unseen || flashCovers;
    run(kPictureShow, [&] { drawPictureShow(context, t); });
    run(kLogoWave, [&] { drawLogoWave(context, t); });
    run(kTextureLayers, [&] { drawTextureLayers(context, t); });
    run(kCubeRows, [&] { drawCubeRows(context, t); });
    if (wavingSheet) run(kSheet, [&] { wavingSheet->drawSheet(context, t, 0.0f); });
    run(kFogText, [&] { drawFogText(context, t); });
    run(kCreditLine, [&] { drawCreditLine(context, t); });
    // Nothing after the lit scenes tests depth, and the next frame clears
    // it, so the depth they write is read by no one but themselves.
    run(kLitSceneA, [&] {
        noiseTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawLitScene(context, 7.0f, -7.0f, -16.0f, t, 46.0f, false);
    });
    run(kLitSceneB, [&] {
        discTexture.bind();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        drawLitScene(context, 1.0f, -2.0f, -10.0f, t, 76.0f, false);
    });
    if (on[kWords]) enterBlock(kWords);
    drawWords(context, t);  // each word starts at its own time
    run(kClockReadout, [&] { drawClockReadout(context, t); });
    run(kBlackFadeIn, [&] { drawBlackFadeIn(context, t); });
    if (spriteRing) {
        run(kRing, [&] { spriteRing->draw(context, t, 45.0f, discTexture.textureName); });
    }
    context.coveredLater = unseen;
    run(kWhiteFlash, [&] { drawWhiteFlash(context, t); });
    context.coveredLater = false;
    if (on[kShowEnd] && quitRequest != nullptr) quitRequest();
    enterBlock(0);
    if (!unseen) glFlush();
}

}  // namespace tev
