// The page's program, as far as the browser backend goes so far: the page's
// script (page.js) calls these. The pack is read by the show's own reader
// from the page's in-memory file system, with the load log on the browser's
// console; the music is rendered by the same libopenmpt as natively, for the
// page's audio capture and through WebAudio.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "av_span.h"
#include "embedded.h"
#include "platform/openmpt/music_render.h"
#include "platform/sound.h"

namespace {

std::vector<int16_t>& capturedAudio() {
    static std::vector<int16_t> samples;
    return samples;
}

tev::platform::SoundHandle& song() {
    static tev::platform::SoundHandle handle = 0;
    return handle;
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

}  // extern "C"

int main() {
    return 0;
}
