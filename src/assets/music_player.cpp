#include "assets/music_player.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sound.h"

namespace tev {
namespace {

// Constant-initialised, so it exists before any code runs.
constinit MusicPlayer player;

// What the sound layer's stream and sample calls take for "any free channel".
constexpr int kAnyChannel = -1;

}  // namespace

MusicPlayer::~MusicPlayer() = default;

bool MusicPlayer::tryInitSound() {
    return platform::soundInit();
}

bool MusicPlayer::initSound(const std::function<bool()>& keepWaiting) {
    switch (platform::soundOpen(keepWaiting)) {
        case platform::SoundOpen::Opened:
            return true;
        case platform::SoundOpen::Abandoned:
            return false;
        case platform::SoundOpen::Failed:
            break;
    }
    std::printf("%s\n", "error on init!");
    std::fflush(stdout);
    // The line above names no cause; this one does, and the way round it.
    std::fprintf(stderr, "tev-intro: no sound output: %s. To play without sound: --no-sound\n",
                 platform::soundOpenFailure().c_str());
    std::exit(1);
}

int MusicPlayer::play() {
    switch (playMode) {
        case 1:
            if (!platform::soundPlaySong(songHandle)) return 0;
            break;
        case 0:
            if (platform::soundPlayStream(kAnyChannel, streamHandle) == -1) {
                platform::soundClose();
                return 0;
            }
            break;
        case 2:
        case 3:
            platform::soundPlaySample(kAnyChannel, sampleHandle);
            break;
        default:
            break;
    }
    return 1;
}

void MusicPlayer::closeSound() {
    platform::soundClose();
}

MusicPlayer& musicPlayer() {
    return player;
}

std::optional<double> startShowMusic(MusicPlayer& p, const unsigned char* module,
                                     uint32_t moduleSize,
                                     const std::function<bool()>& keepWaiting) {
    if (!p.initSound(keepWaiting)) return std::nullopt;
    p.setPlayMode(1);
    p.songHandle = platform::soundLoadSong(module, moduleSize);
    if (p.play() != 1) return 0.0;
    return platform::soundSongHeardIn();
}

}  // namespace tev
