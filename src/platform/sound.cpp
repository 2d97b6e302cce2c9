#include "platform/sound.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>

#include "platform/module_decoder.h"

#include <cstring>
#include <memory>
#include <vector>

namespace tev::platform {
namespace {

constexpr int kRate = kSongRate;
constexpr int kChannels = kSongChannels;
constexpr Uint16 kFramesPerCallback = 1024;

struct Song {
    SoundHandle handle = 0;
    ModulePointer module;
    bool started = false;  // rendered from at least once
};

// The device and the songs. `playing` and `finished` are shared with the
// callback and change only under the device lock; the list of songs is the
// main thread's, and a song is freed only after the device is closed.
struct Output {
    SDL_AudioDeviceID device = 0;
    std::vector<std::unique_ptr<Song>> songs;
    Song* playing = nullptr;
    bool finished = false;
    SoundHandle nextHandle = 1;
};

// Never destroyed: at exit the device may still be running its callback.
Output& output() {
    static Output* instance = new Output;
    return *instance;
}

Song* findSong(SoundHandle handle) {
    for (const auto& song : output().songs) {
        if (handle != 0 && song->handle == handle) return song.get();
    }
    return nullptr;
}

// Runs on SDL's audio thread with the device locked: it renders into the
// device's buffer and neither allocates nor waits.
void SDLCALL fillBuffer(void* user, Uint8* stream, int length) {
    auto* out = static_cast<Output*>(user);
    auto* pcm = reinterpret_cast<int16_t*>(stream);
    const size_t frames = size_t(length) / (sizeof(int16_t) * kChannels);
    size_t done = 0;
    if (out->playing != nullptr && !out->finished) {
        while (done < frames) {
            const size_t rendered = openmpt_module_read_interleaved_stereo(
                out->playing->module.get(), kRate, frames - done, pcm + kChannels * done);
            if (rendered == 0) {
                out->finished = true;
                break;
            }
            done += rendered;
        }
    }
    std::memset(pcm + kChannels * done, 0, (frames - done) * kChannels * sizeof(int16_t));
}

}  // namespace

bool soundInit() {
    Output& out = output();
    if (out.device != 0) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = kFramesPerCallback;
    want.callback = fillBuffer;
    want.userdata = &out;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts if the hardware wants another format.
    out.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (out.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

SoundHandle soundLoadSong(const void* data, uint32_t size) {
    ModulePointer module = openSong(data, size);
    if (!module) return 0;
    auto song = std::make_unique<Song>();
    song->module = std::move(module);
    Output& out = output();
    song->handle = out.nextHandle++;
    if (out.nextHandle == 0) out.nextHandle = 1;
    out.songs.push_back(std::move(song));
    return out.songs.back()->handle;
}

bool soundPlaySong(SoundHandle handle) {
    Output& out = output();
    Song* song = findSong(handle);
    if (out.device == 0 || song == nullptr) return false;
    SDL_LockAudioDevice(out.device);
    if (song->started) openmpt_module_set_position_order_row(song->module.get(), 0, 0);
    song->started = true;
    out.playing = song;
    out.finished = false;
    SDL_UnlockAudioDevice(out.device);
    SDL_PauseAudioDevice(out.device, 0);
    return true;
}

bool soundSongPlaying(SoundHandle handle) {
    Output& out = output();
    if (out.device == 0) return false;
    SDL_LockAudioDevice(out.device);
    const bool playing = out.playing != nullptr && out.playing->handle == handle && !out.finished;
    SDL_UnlockAudioDevice(out.device);
    return playing;
}

int soundPlayStream(int /*channel*/, SoundHandle /*stream*/) {
    return -1;
}

int soundPlaySample(int /*channel*/, SoundHandle /*sample*/) {
    return -1;
}

void soundClose() {
    Output& out = output();
    if (out.device != 0) {
        // Waits for the callback to finish, so the songs can go after it.
        SDL_CloseAudioDevice(out.device);
        out.device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    out.playing = nullptr;
    out.finished = false;
    out.songs.clear();
}

}  // namespace tev::platform
