#include "module_audio.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cstring>

#include "temp_dir.h"

namespace tev::test {

std::vector<int16_t> renderModule(const void* data, size_t size, size_t maxFrames) {
    openmpt_module* module = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore,
                                                                nullptr, nullptr, nullptr, nullptr);
    std::vector<int16_t> pcm;
    if (module == nullptr) return pcm;
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    openmpt_module_ctl_set_integer(module, "dither", 0);
    std::vector<int16_t> block(2 * 1024);
    for (size_t done = 0; done < maxFrames;) {
        const size_t want = std::min<size_t>(1024, maxFrames - done);
        const size_t frames =
            openmpt_module_read_interleaved_stereo(module, 44100, want, block.data());
        if (frames == 0) break;
        pcm.insert(pcm.end(), block.begin(), block.begin() + long(2 * frames));
        done += frames;
    }
    openmpt_module_destroy(module);
    return pcm;
}

std::vector<int16_t> readPcm(const std::string& path) {
    const std::vector<uint8_t> bytes = readFile(path);
    std::vector<int16_t> pcm(bytes.size() / 2);
    if (!pcm.empty()) std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

}  // namespace tev::test
