// The music loader on damaged module bytes: it refuses them, or what it
// accepts plays. Each accepted module is played for a moment from the same
// bytes, opened as the sound output opens them.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "platform/openmpt/module_decoder.h"
#include "platform/sound.h"

namespace {

// libopenmpt sizes its pattern and mixing tables by what the module
// declares, not by the file's size, and takes 1.3 MB of its own whatever
// the module: a fixed cap.
constexpr size_t kAllocationCap = size_t{16} << 20;
constexpr size_t kFramesPlayed = 4096;

void play(const uint8_t* data, size_t size) {
    const auto module = tev::platform::openSong(data, static_cast<uint32_t>(size));
    if (!module) std::abort();  // the sound output took these very bytes
    std::vector<int16_t> pcm(tev::platform::kSongChannels * kFramesPlayed);
    size_t done = 0;
    while (done < kFramesPlayed) {
        const size_t got = openmpt_module_read_interleaved_stereo(
            module.get(), tev::platform::kSongRate, kFramesPlayed - done,
            pcm.data() + tev::platform::kSongChannels * done);
        if (got == 0) break;
        done += got;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tev::fuzz::AllocationCap cap(kAllocationCap);
    const auto song = tev::platform::soundLoadSong(data, static_cast<uint32_t>(size));
    if (song != 0) play(data, size);
    tev::platform::soundClose();  // frees the song
    return 0;
}
