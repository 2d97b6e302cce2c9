// Sound in the browser: the module decoded by libopenmpt (built to wasm) in
// the same 1024-frame pieces as the native output, and played through a
// WebAudio context at 44100 Hz. A page cannot block, so nothing here waits:
// the context starts (or is refused) in the browser's own time, and
// soundSongHeardIn follows the context's clock. The audio context lives in
// the page's script (sound.js); the song and its samples live here.

#include "platform/sound.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/openmpt/module_decoder.h"

namespace tev::platform {
namespace {

constexpr int kPieceFrames = 1024;  // the context's buffer, and libopenmpt's read size
// How long a started song may wait for the browser to run the context.
constexpr int kStartBoundMs = 3000;

struct Song {
    SoundHandle handle = 0;
    ModulePointer module;
};

struct State {
    bool open = false;
    std::string failure;
    std::vector<Song> songs;
    SoundHandle nextHandle = 1;
    SoundHandle playing = 0;
    bool ended = false;
    bool started = false;  // a song was started since the output opened
};

State& state() {
    static State s;
    return s;
}

Song* findSong(SoundHandle handle) {
    for (Song& song : state().songs) {
        if (song.handle == handle) return &song;
    }
    return nullptr;
}

}  // namespace

// The audio context, in the page's script (sound.js).
extern "C" {
int webSoundOpen(int rate, int frames);
void webSoundRestart();
int webSoundRefused(int boundMs);
double webSoundHeardIn();
double webSoundLatency();
void webSoundClose();
}

SoundOpen soundOpen(const std::function<bool()>& /*keepWaiting*/) {
    State& s = state();
    if (s.open) return SoundOpen::Opened;
    if (webSoundOpen(kSongRate, kPieceFrames) == 0) {
        s.failure = "no sound: the browser gives this page no WebAudio context";
        return SoundOpen::Failed;
    }
    s.failure.clear();
    s.open = true;
    s.started = false;
    return SoundOpen::Opened;
}

std::string soundOpenFailure() {
    return state().failure;
}

bool soundInit() {
    return soundOpen({}) == SoundOpen::Opened;
}

double soundQueueSeconds() {
    return state().open ? webSoundLatency() : 0.0;
}

SoundHandle soundLoadSong(const void* data, uint32_t size) {
    ModulePointer module = openSong(data, size);
    if (!module) return 0;
    State& s = state();
    s.songs.push_back(Song{s.nextHandle++, std::move(module)});
    return s.songs.back().handle;
}

bool soundPlaySong(SoundHandle handle) {
    State& s = state();
    Song* song = findSong(handle);
    if (song == nullptr || !s.open) return false;
    if (openmpt_module_set_position_seconds(song->module.get(), 0.0) != 0.0) return false;
    s.playing = handle;
    s.ended = false;
    s.started = true;
    webSoundRestart();
    return true;
}

// A context the browser does not run counts as no song started: nothing to
// wait for, nothing playing.
double soundSongHeardIn() {
    const State& s = state();
    if (!s.open || !s.started || webSoundRefused(kStartBoundMs) != 0) return 0.0;
    return webSoundHeardIn();
}

bool soundSongPlaying(SoundHandle handle) {
    const State& s = state();
    return s.open && handle != 0 && s.playing == handle && !s.ended &&
           webSoundRefused(kStartBoundMs) == 0;
}

int soundPlayStream(int, SoundHandle) {
    return -1;
}
int soundPlaySample(int, SoundHandle) {
    return -1;
}

void soundClose() {
    State& s = state();
    webSoundClose();
    s.songs.clear();
    s.playing = 0;
    s.ended = false;
    s.started = false;
    s.open = false;
}

}  // namespace tev::platform

// Called by the context's processor for its next piece: up to `frames`
// stereo frames, interleaved, into `out`; the number rendered (0 once the
// song has ended, or with none playing).
extern "C" EMSCRIPTEN_KEEPALIVE int tevWebSoundFill(int16_t* out, int frames) {
    using namespace tev::platform;
    State& s = state();
    Song* song = findSong(s.playing);
    if (song == nullptr || s.ended || frames <= 0) return 0;
    int done = 0;
    while (done < frames) {
        const size_t piece = std::min(frames - done, kPieceFrames);
        const size_t got = openmpt_module_read_interleaved_stereo(song->module.get(), kSongRate,
                                                                  piece, out + 2 * done);
        if (got == 0) {
            s.ended = true;
            break;
        }
        done += static_cast<int>(got);
    }
    return done;
}
