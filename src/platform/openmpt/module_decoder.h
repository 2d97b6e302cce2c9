#pragma once
// Opening a tracker module with libopenmpt the way the show plays it: 44100
// Hz stereo 16-bit, once through and stopping at the last row, no dither.
// Shared by the live output and the offline render, so that both give the
// same samples. Only the platform layer includes this header.

#include <libopenmpt/libopenmpt.h>

#include <cstdint>
#include <memory>

namespace tev::platform {

inline constexpr int kSongRate = 44100;
inline constexpr int kSongChannels = 2;

struct ModuleFree {
    void operator()(openmpt_module* module) const { openmpt_module_destroy(module); }
};
using ModulePointer = std::unique_ptr<openmpt_module, ModuleFree>;

// The module set up for playing, or null when the bytes are empty, not a
// module libopenmpt reads, or an Impulse Tracker file whose own tables
// point past its end.
ModulePointer openSong(const void* data, uint32_t size);

}  // namespace tev::platform
