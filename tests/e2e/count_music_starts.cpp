// Counts how often a recording holds the beginning of a module:
// tev-test-count-music-starts MODULE.it AUDIO.raw [LOST_MS]
// Prints the count. A start is half a second of stereo 16-bit 44100 Hz
// sound, from the module's first sound on, that matches
// libopenmpt's own render of it to within one step. With LOST_MS, the sound
// may begin up to that many milliseconds into the module: a sound server
// that rewinds its sink for a new stream can drop the first few
// milliseconds of it on the way to the sink's monitor.
// A start that matches for its first 50 ms and then breaks off (a gap in
// the sound) is not counted; standard error names where it broke.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "module_audio.h"
#include "temp_dir.h"

namespace {

constexpr int kRate = 44100;
constexpr size_t kMatchSamples = kRate;  // half a second, two channels

constexpr size_t kBeginningSamples = kRate / 10;  // 50 ms, two channels

// How many samples from `at` on match the reference, up to `limit`.
size_t matchingSamples(const std::vector<int16_t>& audio, size_t at, const int16_t* reference,
                       size_t limit) {
    size_t i = 0;
    while (i < limit && at + i < audio.size() && std::abs(audio[at + i] - reference[i]) <= 1) {
        ++i;
    }
    return i;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: tev-test-count-music-starts MODULE.it AUDIO.raw [LOST_MS]\n");
        return 2;
    }
    const size_t lostFrames =
        argc == 4 ? static_cast<size_t>(std::atof(argv[3]) * kRate / 1000) : 0;
    const std::vector<uint8_t> module = tev::test::readFile(argv[1]);
    // The module's opening, as the show plays it.
    const std::vector<int16_t> reference =
        tev::test::renderModule(module.data(), module.size(), 10 * kRate);
    const auto first =
        std::find_if(reference.begin(), reference.end(), [](int16_t s) { return s != 0; });
    const size_t start = static_cast<size_t>(first - reference.begin()) & ~size_t{1};
    if (reference.size() < start + 2 * lostFrames + kMatchSamples) {
        std::fprintf(stderr, "%s gives no half second of sound in its first ten\n", argv[1]);
        return 1;
    }

    const std::vector<int16_t> audio = tev::test::readPcm(argv[2]);
    // Where each left-channel value stands among the allowed first frames,
    // so that only positions that begin like one of them are compared.
    std::vector<std::vector<size_t>> firstFrames(65536);
    for (size_t lost = 0; lost <= lostFrames; ++lost) {
        firstFrames[uint16_t(reference[start + 2 * lost])].push_back(lost);
    }
    size_t starts = 0;
    for (size_t at = 0; at + kMatchSamples <= audio.size();) {
        size_t longest = 0;
        for (int near = -1; near <= 1 && longest < kMatchSamples; ++near) {
            for (size_t lost : firstFrames[uint16_t(audio[at] + near)]) {
                longest = std::max(
                    longest,
                    matchingSamples(audio, at, reference.data() + start + 2 * lost, kMatchSamples));
            }
        }
        if (longest == kMatchSamples) {
            ++starts;
            at += kMatchSamples;
        } else if (longest >= kBeginningSamples) {
            std::fprintf(stderr, "a start at %.3f s of the recording breaks off after %.0f ms\n",
                         double(at / 2) / kRate, double(longest / 2) * 1000 / kRate);
            at += longest & ~size_t{1};
        } else {
            at += 2;  // the next stereo frame
        }
    }
    std::printf("%zu\n", starts);
    return 0;
}
