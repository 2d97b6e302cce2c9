// Checks what an SDL disk-audio file holds against libopenmpt's own render
// of a module: tev-test-compare-music MODULE.it AUDIO.raw SECONDS
// The file may start with silence (the device runs before the song starts);
// from the first sound on, SECONDS of stereo 16-bit 44100 Hz must match the
// render to within one step.

#include <libopenmpt/libopenmpt.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<char> readAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    const std::vector<char> module = readAll(argv[1]);
    const std::vector<char> audio = readAll(argv[2]);
    const double seconds = std::atof(argv[3]);
    openmpt_module* mod =
        openmpt_module_create_from_memory2(module.data(), module.size(), nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr);
    if (mod == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    openmpt_module_ctl_set_text(mod, "play.at_end", "stop");
    openmpt_module_ctl_set_integer(mod, "dither", 0);
    const auto frames = static_cast<size_t>(seconds * 44100);
    std::vector<int16_t> reference(frames * 2);
    size_t done = 0;
    while (done < frames) {
        const size_t got = openmpt_module_read_interleaved_stereo(
            mod, 44100, std::min<size_t>(1024, frames - done), reference.data() + 2 * done);
        if (got == 0) break;
        done += got;
    }
    openmpt_module_destroy(mod);

    std::vector<int16_t> written(audio.size() / 2);
    std::copy(audio.begin(), audio.begin() + written.size() * 2,
              reinterpret_cast<char*>(written.data()));
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
