#pragma once
// The show's music player: a thin wrapper over the sound layer that keeps
// which kind of sound it plays and the handles of what it plays.

#include <cstdint>
#include <functional>
#include <optional>

namespace tev {

class MusicPlayer {
  public:
    ~MusicPlayer();

    // Opens the sound output. When it cannot be opened (or the sound server
    // does not answer within a few seconds), prints "error on init!" on
    // standard output, the reason and the --no-sound way round it in one
    // line on standard error, and ends the process at once with status 1.
    // While it waits for a server it asks `keepWaiting` (when set) now and
    // then; false from it ends the wait, and then initSound returns false
    // with nothing open. True when the output is open.
    bool initSound(const std::function<bool()>& keepWaiting = {});

    // The part of initSound that can fail: true when the output is open.
    bool tryInitSound();

    void setPlayMode(int32_t mode) { playMode = mode; }

    // Starts what the mode names. Mode 1 plays the song: 0 when it cannot.
    // Mode 0 plays the stream: when it cannot, closes the sound output and
    // returns 0. Modes 2 and 3 play the sample, whatever comes of it. 1 in
    // every other case.
    int play();

    // Closes the sound output, which ends and frees the song.
    void closeSound();

    int32_t playMode = 0;       // 0 stream, 1 song (module), 2 and 3 sample
    uint32_t songHandle = 0;    // the loaded module
    uint32_t streamHandle = 0;  // mode 0; the show never sets it
    uint32_t sampleHandle = 0;  // modes 2 and 3; the show never sets it
};

// The program's one player.
MusicPlayer& musicPlayer();

// Starts the show's music: opens the output (the process ends with status 1
// when it cannot), selects song mode, loads the module from its bytes and
// plays it. A module that cannot be loaded or played leaves the show silent.
// Returns the seconds from now until the module's first sample is heard (the
// output's latency; negative once heard), 0 when it does not play; nothing
// when `keepWaiting` ended the wait for the sound server (see initSound).
std::optional<double> startShowMusic(MusicPlayer& player, const unsigned char* module,
                                     uint32_t moduleSize,
                                     const std::function<bool()>& keepWaiting = {});

}  // namespace tev
