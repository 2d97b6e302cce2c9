// The page's program: the page's script (page.js) calls these. The pack is
// read by the show's own reader from the page's in-memory file system, with
// the load log on the browser's console; the music is rendered by the same
// libopenmpt as natively, for the page's audio capture and through WebAudio;
// the frame capture plays the show as tev-capture --at does, on the page's
// canvas with the GL subset over WebGL 2.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "av_span.h"
#include "embedded.h"
#include "platform/openmpt/music_render.h"
#include "platform/sound.h"
#include "show/offline_show.h"

namespace {

std::vector<int16_t>& capturedAudio() {
    static std::vector<int16_t> samples;
    return samples;
}

tev::platform::SoundHandle& song() {
    static tev::platform::SoundHandle handle = 0;
    return handle;
}

// The frame capture: the show played with the virtual clock.
struct FrameCapture {
    std::unique_ptr<tev::OfflineShow> show;
    std::vector<uint8_t> rgb;
    std::string error;
};

FrameCapture& frameCapture() {
    static FrameCapture capture;
    return capture;
}

}  // namespace

extern "C" {

// Reads the pictures the show takes from DATA.PAK in the working directory,
// as its set-up does, each step on the console. The number read in full;
// -1 when there is no readable pack.
EMSCRIPTEN_KEEPALIVE int tevReadPack() {
    tev::loadLog().setPath("/dev/stdout");
    tev::pictureBudget().restart();
    int read = 0;
    for (int i = 0; i <= 16; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, i < 16 ? "PIC%d" : "DESTRUCT", i);
        tev::Texture picture;
        const uint8_t status = tev::readEntry("DATA.PAK", name, picture);
        if (status == tev::kPackCannotOpen || status == tev::kPackBadVersion) return -1;
        if (status == tev::kPackOk) ++read;
    }
    return read;
}

// Renders the music of the show's span [from, to) as tev-capture --audio
// does: the module from its start, in step with the 30 fps virtual clock,
// the part before the span dropped. 16-bit stereo at 44100 Hz, little-endian
// in wasm's memory; tevAudioSamples and tevAudioBytes find them. 0 when the
// span holds no frame or the module cannot be read.
EMSCRIPTEN_KEEPALIVE int tevRenderAudio(double from, double to) {
    constexpr int kCaptureFps = 30;  // tev-capture's rate for --audio
    std::vector<int16_t>& samples = capturedAudio();
    samples.clear();
    samples.shrink_to_fit();
    const auto span = tev::capture::spanOf(from, to, kCaptureFps);
    if (!span) return 0;
    auto music = tev::platform::MusicRender::create(tev::embedded::music, tev::embedded::musicSize);
    if (!music) return 0;
    samples.reserve((span->endSample - span->firstSample) * 2);
    music->skip(span->firstSample);
    music->render(span->endSample - span->firstSample, samples);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const int16_t* tevAudioSamples() {
    return capturedAudio().data();
}
EMSCRIPTEN_KEEPALIVE uint32_t tevAudioBytes() {
    return static_cast<uint32_t>(capturedAudio().size() * sizeof(int16_t));
}

// Opens the sound and plays the show's music from its start; called from a
// click, which browsers ask for before sound. 1 when it plays, 0 (with the
// reason on the console) when the page has no sound.
EMSCRIPTEN_KEEPALIVE int tevPlayMusic() {
    using namespace tev::platform;
    if (soundOpen({}) != SoundOpen::Opened) {
        std::fprintf(stderr, "%s\n", soundOpenFailure().c_str());
        return 0;
    }
    if (song() == 0) song() = soundLoadSong(tev::embedded::music, tev::embedded::musicSize);
    return soundPlaySong(song()) ? 1 : 0;
}

// What the sound says now: seconds until the song is heard (negative once
// heard), and whether it still plays.
EMSCRIPTEN_KEEPALIVE double tevMusicHeardIn() {
    return tev::platform::soundSongHeardIn();
}
EMSCRIPTEN_KEEPALIVE int tevMusicPlaying() {
    return tev::platform::soundSongPlaying(song()) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void tevStopMusic() {
    tev::platform::soundClose();
    song() = 0;
}

// Starts the frame capture: the show set up on a width x height picture of
// the page's canvas, at 60 frames a second and without music, as
// tev-capture --at plays it. 1 when it runs; 0 with the reason in
// tevFramesError.
EMSCRIPTEN_KEEPALIVE int tevFramesStart(int width, int height) {
    constexpr int kFps = 60;  // tev-capture's rate for --at
    FrameCapture& capture = frameCapture();
    capture.show.reset();
    capture.error.clear();
    tev::loadLog().setPath("/dev/stdout");
    tev::platform::OfflineDisplay::Options gl;
    gl.pipeline = tev::platform::GlPipeline::Subset;
    capture.show = tev::OfflineShow::create(width, height, kFps, &capture.error, gl);
    return capture.show ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* tevFramesError() {
    return frameCapture().error.c_str();
}

// The frame drawn at show time `seconds` (rounded to the nearest frame, as
// tev-capture does). Plays at most `most` frames unseen towards it, so that
// the page's script can hand the browser its turn between calls: 1 when the
// next frame is that one, 0 when more are to play, -1 when the show has
// ended before it or the frame has passed.
EMSCRIPTEN_KEEPALIVE int tevFramesSkip(double seconds, int most) {
    tev::OfflineShow* show = frameCapture().show.get();
    if (!show) return -1;
    const auto frame = static_cast<int64_t>(std::llround(seconds * show->fps()));
    if (show->nextFrame() > frame) return -1;
    show->skipTo(std::min(frame, show->nextFrame() + most));
    if (show->ended()) return -1;
    return show->nextFrame() == frame ? 1 : 0;
}

// Draws the next frame and reads it: RGB, top row first, width x height;
// null when the show has ended.
EMSCRIPTEN_KEEPALIVE const uint8_t* tevFramesDraw() {
    FrameCapture& capture = frameCapture();
    if (!capture.show || capture.show->ended()) return nullptr;
    capture.show->drawNextFrame();
    capture.show->readPixels(capture.rgb);
    capture.show->present();
    return capture.rgb.data();
}

EMSCRIPTEN_KEEPALIVE void tevFramesStop() {
    frameCapture().show.reset();
    frameCapture().rgb = {};
}

}  // extern "C"

int main() {
    return 0;
}
