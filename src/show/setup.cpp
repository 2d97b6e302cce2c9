// Set-up and tear-down of one display cycle.

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

#include "assets/bitmap_font.h"
#include "assets/embedded_image.h"
#include "assets/music_player.h"
#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "assets/texture_generator.h"
#include "embedded.h"
#include "gl11/gl11.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "platform/termination_signals.h"
#include "proc/setup_layers.h"
#include "show/show.h"

namespace tev {

namespace {

SetupStepHook setupStepHook = nullptr;
SetupWaitHook setupWaitHook = nullptr;

// False when a termination signal has been caught: set-up stops before the
// step, and the cycle ends as when the window is closed.
bool startStep(const char* step) {
    if (setupStepHook != nullptr) setupStepHook(step);
    return platform::caughtTerminationSignal() == 0;
}

void setGlDefaults() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void buildFont() {
    const auto sheet = EmbeddedImage::parse(embedded::fontSheet, embedded::fontSheetSize);
    if (sheet) bitmapFont().build(*sheet);
}

// Three textures composed on a stack of layers, alpha 255.
void composeLayerTextures() {
    layerTextures = std::make_unique<Texture[]>(8);
    const auto layers = composeSetupLayers();
    if (!layers) return;
    for (int k = 0; k < kSetupLayerCount; ++k) {
        Texture& texture = layerTextures[k];
        if (texture.allocate(kSetupLayerSide, kSetupLayerSide, 4) != 1) continue;
        std::memcpy(texture.pixels.get(), (*layers)[k].data(), texture.byteCount());
        texture.uploadMipmapped();
    }
}

// The embedded gray logo as RGBA with alpha 255.
void makeLogoTexture() {
    const auto logo = EmbeddedImage::parse(embedded::logo, embedded::logoSize);
    if (!logo || logoTexture.allocate(static_cast<int32_t>(logo->width),
                                      static_cast<int32_t>(logo->height), 4) != 1) {
        return;
    }
    const size_t count = static_cast<size_t>(logo->width) * logo->height;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t g = logo->pixels[i * logo->channels];
        uint8_t* out = logoTexture.pixels.get() + 4 * i;
        out[0] = out[1] = out[2] = g;
        out[3] = 255;
    }
    logoTexture.uploadMipmapped();
}

void readPictures() {
    for (int n = 0; n < 16; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "PIC%d", n);
        readEntry(packPath, name, pictures[n]);  // a missing entry leaves the picture empty
        pictures[n].uploadMipmapped();
    }
}

void setSceneState() {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
}

}  // namespace

void setSetupStepHook(SetupStepHook hook) {
    setupStepHook = hook;
}

void setSetupWaitHook(SetupWaitHook hook) {
    setupWaitHook = hook;
}

bool showSetup(const DrawTarget& target) {
    drawContext.clipOriginUpperLeft = target.clipOriginUpperLeft;
    if (!startStep("GL defaults")) return false;
    setGlDefaults();
    // The pictures this cycle reads share one memory budget, bounded by
    // this context's largest texture side.
    startPictureCycle();
    if (!startStep("font")) return false;
    buildFont();
    std::snprintf(packPath, sizeof packPath, "%s", "DATA.PAK");
    if (!startStep("composed layers")) return false;
    composeLayerTextures();
    if (!startStep("logo")) return false;
    makeLogoTexture();
    if (!startStep("disc texture")) return false;
    generateTexture(discTexture, 1);
    if (!startStep("pictures")) return false;
    readPictures();
    if (!startStep("noise texture")) return false;
    noiseTexture.allocate(64, 64, 1);
    if (!startStep("sprite ring")) return false;
    spriteRing = std::make_unique<SpriteRing>();
    if (!startStep("particle scene")) return false;
    particleScene = std::make_unique<ParticleScene>();
    if (!startStep("waving sheet")) return false;
    wavingSheet = std::make_unique<WavingSheet>(packPath);
    if (!startStep("scene state")) return false;
    setSceneState();
    if (!startStep("music")) return false;
    // The process ends with status 1 here when no sound output can be opened.
    double musicHeardIn = 0.0;
    if (showMusicEnabled) {
        std::function<bool()> keepWaiting;
        if (setupWaitHook != nullptr) keepWaiting = setupWaitHook;
        const std::optional<double> heardIn =
            startShowMusic(musicPlayer(), embedded::music, embedded::musicSize, keepWaiting);
        if (!heardIn) return false;  // Escape, a closed window or a signal while waiting
        musicHeardIn = *heardIn;
    }
    if (!startStep(nullptr)) return false;
    // The show clock starts when the music's first sample is heard, not when
    // it was handed to the output, so that picture and sound meet.
    showStartSeconds = static_cast<float>(platform::clock().tickSeconds() + musicHeardIn);
    return true;
}

void followHeardMusic() {
    if (!showMusicEnabled) return;
    // Before it is heard too: from the moment the output takes the song's
    // first piece, the time until that piece is heard is known.
    const double heardIn = platform::soundSongHeardIn();
    if (heardIn == 0.0) return;  // no song playing
    showStartSeconds = static_cast<float>(platform::clock().tickSeconds() + heardIn);
}

void showTeardown() {
    layerTextures.reset();
    spriteRing.reset();
    particleScene.reset();
    wavingSheet.reset();
    musicPlayer().closeSound();
}

}  // namespace tev
