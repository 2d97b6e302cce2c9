#pragma once
// 16-bit PCM WAV files.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tev::capture {

// A whole RIFF/WAVE file: `samples` interleaved over `channels`.
std::vector<uint8_t> encodeWav(const std::vector<int16_t>& samples, int rate, int channels);

}  // namespace tev::capture
