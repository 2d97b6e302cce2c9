#include "wav_file.h"
#include "portable/little_endian.h"

namespace tev::capture {
namespace {

void putTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> encodeWav(const std::vector<int16_t>& samples, int rate, int channels) {
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putLe32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putLe32(out, 16);
    putLe16(out, 1);  // PCM
    putLe16(out, static_cast<uint16_t>(channels));
    putLe32(out, static_cast<uint32_t>(rate));
    putLe32(out, static_cast<uint32_t>(rate * channels * 2));
    putLe16(out, static_cast<uint16_t>(channels * 2));
    putLe16(out, 16);
    putTag(out, "data");
    putLe32(out, dataBytes);
    for (int16_t s : samples)
        putLe16(out, static_cast<uint16_t>(s));
    return out;
}

}  // namespace tev::capture
