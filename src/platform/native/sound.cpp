#include "platform/sound.h"

#include <SDL.h>
#include <dlfcn.h>
#include <libopenmpt/libopenmpt.h>

#include "platform/native/pulse_latency.h"
#include "platform/openmpt/module_decoder.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tev::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = kSongRate;
constexpr int kChannels = kSongChannels;
// 46 ms a callback. The show clock follows the output's measured latency, so
// a longer buffer costs no sync, only a later start; it gives the audio
// thread room while the software renderer keeps every core busy (a gap puts
// the music behind the picture for the rest of the show). As in openmpt123's
// convention a power of two, half the output's latency: its low-latency
// setting of 80 ms gives this size at 44.1 kHz.
constexpr Uint16 kFramesPerCallback = 2048;

// Through a sound server that holds our queue (below) the thread's room is
// that queue, and a small buffer keeps the steps in which the queue is
// topped up small: the latency is read at the top of those steps, and the
// first sample of the song waits up to one step less.
constexpr Uint16 kFramesThroughServer = 512;

// How long a new song may take to reach the device's callback. A server
// whose sink has just woken can hold a new stream back for up to two
// seconds (PulseAudio's null sink does); past this the song is taken to
// start at once.
constexpr auto kFirstRenderBound = std::chrono::milliseconds(2500);

// The latency PulseAudio is asked for unless the user says otherwise. The
// server keeps about half of it queued for our stream (500 ms through
// PulseAudio with a null sink; PipeWire grants a little more): the audio
// thread can miss its turn for that long, on a machine whose cores are all
// busy, without a gap in the sound. libopenmpt renders far faster than real
// time, so filling it costs nothing; as the picture follows the measured
// latency, it costs no sync either, only a later start.
constexpr const char* kQueueMsDefault = "1000";

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
    int bufferFrames = 0;  // of one callback, as the device was opened
    std::vector<std::unique_ptr<Song>> songs;
    Song* playing = nullptr;
    bool finished = false;
    bool rendered = false;           // the callback has rendered from `playing`
    Clock::time_point renderedAt{};  // when it first did
    Clock::time_point heardAt{};     // when that first sample is heard
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
        if (!out->rendered) {
            out->rendered = true;
            out->renderedAt = Clock::now();  // these samples go to the output next
        }
    }
    std::memset(pcm + kChannels * done, 0, (frames - done) * kChannels * sizeof(int16_t));
}

// How long the samples the callback has just rendered take to be heard:
// PulseAudio's own figure for our stream when SDL plays through it and the
// figure is plausible, else what the output holds: the queue PulseAudio was
// asked for, or one buffer with another driver (the one the device plays
// while the next is filled).
Clock::duration outputLatency(const Output& out) {
    double seconds = double(out.bufferFrames) / kRate;
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver != nullptr && std::strcmp(driver, "pulseaudio") == 0) {
        // Over a few of the steps in which the queue is topped up. The
        // highest reading is the top of a step; the song's first sample,
        // rendered into one of them, waits up to a step less: the middle.
        const double step = seconds;
        const auto spread = std::chrono::duration<double>(step * 4);
        bool granted = false;
        const std::optional<double> latency =
            pulsePlaybackLatency(12, std::chrono::duration_cast<std::chrono::microseconds>(spread),
                                 std::chrono::milliseconds(200), &granted);
        if (!latency) {
            seconds = soundQueueSeconds();
        } else {
            seconds = granted ? *latency : *latency - step / 2;
        }
    }
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Whether SDL may play through PulseAudio: it tries PulseAudio first unless
// SDL_AUDIODRIVER names drivers without it.
bool mayUsePulse() {
    const char* drivers = std::getenv("SDL_AUDIODRIVER");
    if (drivers == nullptr || *drivers == '\0') return true;
    std::string names(drivers);
    for (char& c : names)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return names.find("pulseaudio") != std::string::npos;
}

// libpulse's own reading of PULSE_LATENCY_MSEC: a whole number above 0.
std::optional<unsigned long> queueMsSetting() {
    const char* text = std::getenv("PULSE_LATENCY_MSEC");
    if (text == nullptr || *text < '0' || *text > '9') return std::nullopt;
    char* end = nullptr;
    const unsigned long ms = std::strtoul(text, &end, 10);
    if (*end != '\0' || ms == 0 || ms > 60000) return std::nullopt;
    return ms;
}

// Why the last opening failed, in words for the viewer.
std::string& openFailure() {
    static std::string text;
    return text;
}

// The first line ALSA's library wanted to print while the device was opened
// (its own reason), kept instead of printed.
char alsaFirstLine[160];
std::atomic<bool> alsaLineTaken{false};

extern "C" void keepAlsaLine(const char* /*file*/, int /*line*/, const char* /*function*/,
                             int /*err*/, const char* format, ...) {
    if (alsaLineTaken.exchange(true)) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(alsaFirstLine, sizeof alsaFirstLine, format, args);
    va_end(args);
}

// While SDL's ALSA driver opens the device, libasound's own error lines
// (eight of them on a machine without a sound card, all saying that no
// device opens) are kept rather than printed; the viewer gets one line that
// says so. SDL loads libasound itself; this only reaches the copy it loaded,
// and puts libasound's default printing back afterwards.
class QuietAlsa {
  public:
    QuietAlsa() {
        alsaLineTaken = false;
        alsaFirstLine[0] = '\0';
        const char* driver = SDL_GetCurrentAudioDriver();
        if (driver == nullptr || std::strcmp(driver, "alsa") != 0) return;
        library_ = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
        if (library_ == nullptr) return;
        setHandler_ = reinterpret_cast<SetHandler>(dlsym(library_, "snd_lib_error_set_handler"));
        if (setHandler_ != nullptr) setHandler_(keepAlsaLine);
    }
    ~QuietAlsa() {
        if (setHandler_ != nullptr) setHandler_(nullptr);
        if (library_ != nullptr) dlclose(library_);
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

  private:
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    void* library_ = nullptr;
    SetHandler setHandler_ = nullptr;
};

// SDL's reason, with what went before it: no sound server to ask, and the
// first line ALSA kept back.
std::string describeFailure(bool noServer) {
    std::string text;
    if (noServer) text = "no PulseAudio or PipeWire server to connect to; ";
    const char* why = SDL_GetError();
    text += (why != nullptr && *why != '\0') ? why : "no audio device could be opened";
    if (alsaLineTaken && alsaFirstLine[0] != '\0') {
        text += std::string(" (") + alsaFirstLine + ")";
    }
    return text;
}

}  // namespace

std::string soundOpenFailure() {
    return openFailure();
}

double soundQueueSeconds() {
    return double(queueMsSetting().value_or(std::strtoul(kQueueMsDefault, nullptr, 10))) / 1000;
}

bool soundInit() {
    return soundOpen({}) == SoundOpen::Opened;
}

SoundOpen soundOpen(const std::function<bool()>& keepWaiting) {
    Output& out = output();
    if (out.device != 0) return SoundOpen::Opened;
    openFailure().clear();
    Uint16 frames = kFramesPerCallback;
    bool noServer = false;
    if (mayUsePulse()) {
        // libpulse reads it when SDL makes its stream; a setting of the
        // user's own stays.
        if (!queueMsSetting()) setenv("PULSE_LATENCY_MSEC", kQueueMsDefault, 1);
        const auto bound = std::chrono::milliseconds(kSoundServerBoundMs);
        switch (probePulseServer(bound, keepWaiting)) {
            case PulseServer::Silent:
                openFailure() = "the sound server took the connection but did not answer within " +
                                std::to_string(kSoundServerBoundMs / 1000) + " s";
                return SoundOpen::Failed;
            case PulseServer::Abandoned:
                return SoundOpen::Abandoned;
            case PulseServer::Answers:
                frames = kFramesThroughServer;
                break;
            case PulseServer::Absent:  // SDL goes on to its other drivers
                noServer = true;
                break;
        }
    }
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        openFailure() = describeFailure(noServer);
        return SoundOpen::Failed;
    }
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = frames;
    want.callback = fillBuffer;
    want.userdata = &out;
    SDL_AudioSpec have{};
    {
        const QuietAlsa quiet;
        // No changes allowed: SDL converts if the hardware wants another format.
        out.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (out.device == 0) {
        openFailure() = describeFailure(noServer);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return SoundOpen::Failed;
    }
    out.bufferFrames = have.samples;
    return SoundOpen::Opened;
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
    out.rendered = false;
    SDL_UnlockAudioDevice(out.device);
    SDL_PauseAudioDevice(out.device, 0);

    // Waits for the callback to take the song, which is within one buffer
    // once the output runs; from then on the song's first sample is queued
    // behind what the output already holds.
    const auto giveUp = Clock::now() + kFirstRenderBound;
    Clock::time_point renderedAt = Clock::now();
    while (true) {
        SDL_LockAudioDevice(out.device);
        const bool rendered = out.rendered;
        if (rendered) renderedAt = out.renderedAt;
        SDL_UnlockAudioDevice(out.device);
        if (rendered || Clock::now() > giveUp) break;
        SDL_Delay(1);
    }
    out.heardAt = renderedAt + outputLatency(out);
    return true;
}

double soundSongHeardIn() {
    const Output& out = output();
    if (out.playing == nullptr) return 0.0;
    return std::chrono::duration<double>(out.heardAt - Clock::now()).count();
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
    out.rendered = false;
    out.songs.clear();
}

}  // namespace tev::platform
