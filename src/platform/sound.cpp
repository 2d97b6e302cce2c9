#include "platform/sound.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>

#include <cstring>
#include <memory>
#include <vector>

namespace tev::platform {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr Uint16 kFramesPerCallback = 1024;

struct ModuleFree {
    void operator()(openmpt_module* module) const { openmpt_module_destroy(module); }
};

struct Song {
    SoundHandle handle = 0;
    std::unique_ptr<openmpt_module, ModuleFree> module;
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

uint32_t read16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t read32(const uint8_t* p) {
    return read16(p) | read16(p + 2) << 16;
}

// libopenmpt plays what it can of an Impulse Tracker file cut short, and
// patterns or samples that point past the end come out silent or as
// garbage. A file whose own tables point past its end is damaged: refuse it.
bool impulseTablesFit(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 192, kInstrument = 554, kSampleHeader = 80, kPatternHeader = 8;
    auto fits = [size](size_t at, size_t length) { return at <= size && length <= size - at; };
    if (!fits(0, kHeader)) return false;
    const size_t orders = read16(data + 0x20), instruments = read16(data + 0x22);
    const size_t samples = read16(data + 0x24), patterns = read16(data + 0x26);
    const size_t tables = kHeader + orders;
    if (!fits(tables, 4 * (instruments + samples + patterns))) return false;
    if ((read16(data + 0x2E) & 1) && !fits(read32(data + 0x38), read16(data + 0x36))) return false;
    for (size_t i = 0; i < instruments + samples + patterns; ++i) {
        const size_t at = read32(data + tables + 4 * i);
        if (at == 0) continue;  // none
        if (i < instruments) {
            if (!fits(at, kInstrument)) return false;
        } else if (i < instruments + samples) {
            if (!fits(at, kSampleHeader)) return false;
            const uint8_t flags = data[at + 0x12];
            const size_t frames = read32(data + at + 0x30), offset = read32(data + at + 0x48);
            if (!(flags & 0x01) || frames == 0) continue;  // no data
            if (flags & 0x08) {
                if (offset >= size) return false;  // compressed: length unknown here
                continue;
            }
            const size_t bytes = frames * ((flags & 0x02) ? 2 : 1) * ((flags & 0x04) ? 2 : 1);
            if (!fits(offset, bytes)) return false;
        } else {
            if (!fits(at, kPatternHeader) || !fits(at + kPatternHeader, read16(data + at))) {
                return false;
            }
        }
    }
    return true;
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
    if (data == nullptr || size == 0) return 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (size >= 4 && std::memcmp(bytes, "IMPM", 4) == 0 && !impulseTablesFit(bytes, size)) {
        return 0;
    }
    int error = 0;
    openmpt_module* module = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore,
                                                                nullptr, &error, nullptr, nullptr);
    if (module == nullptr) return 0;
    auto song = std::make_unique<Song>();
    song->module.reset(module);
    // Play once and stop at the last row, with no fade past it; no dither,
    // so the output is the same on every run.
    if (openmpt_module_ctl_set_text(module, "play.at_end", "stop") != 1 ||
        openmpt_module_ctl_set_integer(module, "dither", 0) != 1) {
        return 0;
    }
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
