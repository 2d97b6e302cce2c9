#pragma once
// Tracker-module sound for the tests: libopenmpt's own render of a module
// with the settings the show asks for (44100 Hz stereo 16-bit, once
// through, stopping at the last row, no dither), made here rather than by
// the program so that a wrong setting in the program shows; and the raw
// 16-bit samples an audio device or a recorder wrote to a file.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace tev::test {

// Interleaved stereo, at most `maxFrames` frames (fewer when the song ends
// first); empty when libopenmpt cannot read the bytes.
std::vector<int16_t> renderModule(const void* data, size_t size,
                                  size_t maxFrames = std::numeric_limits<size_t>::max());

// The file's bytes as native 16-bit samples, as long as it was when the
// read began (an odd last byte left out).
std::vector<int16_t> readPcm(const std::string& path);

}  // namespace tev::test
