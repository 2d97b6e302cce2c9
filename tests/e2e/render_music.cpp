// Checks what an SDL disk-audio file holds against libopenmpt's own render
// of a module: tev-test-compare-music MODULE.it AUDIO.raw SECONDS
// The file may start with silence (the device runs before the song starts);
// from the first sound on, SECONDS of stereo 16-bit 44100 Hz must match the
// render to within one step.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "module_audio.h"
#include "temp_dir.h"

namespace {

size_t firstSound(const std::vector<int16_t>& samples) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0) return i & ~size_t{1};  // start of its stereo frame
    }
    return samples.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tev-test-compare-music MODULE.it AUDIO.raw SECONDS\n");
        return 2;
    }
    const std::vector<uint8_t> module = tev::test::readFile(argv[1]);
    const std::vector<int16_t> written = tev::test::readPcm(argv[2]);
    const double seconds = std::atof(argv[3]);
    const std::vector<int16_t> reference =
        tev::test::renderModule(module.data(), module.size(), static_cast<size_t>(seconds * 44100));
    if (reference.empty()) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    const size_t ours = firstSound(written);
    const size_t theirs = firstSound(reference);
    if (ours == written.size() || theirs == reference.size()) {
        std::fprintf(stderr, "no sound in %s\n", ours == written.size() ? argv[2] : "the render");
        return 1;
    }
    const size_t compare = std::min(written.size() - ours, reference.size() - theirs);
    if (compare < static_cast<size_t>(seconds * 44100)) {
        std::fprintf(stderr, "only %zu samples to compare\n", compare);
        return 1;
    }
    for (size_t i = 0; i < compare; ++i) {
        if (std::abs(written[ours + i] - reference[theirs + i]) > 1) {
            std::fprintf(stderr, "differs at sample %zu of the sound: %d, rendered %d\n", i,
                         written[ours + i], reference[theirs + i]);
            return 1;
        }
    }
    std::printf("%zu samples match\n", compare);
    return 0;
}
