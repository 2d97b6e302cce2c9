#pragma once
// Little-endian integers in byte buffers: the byte order of every file the
// program and its tools read and write (the pack, TGA and WAV files, the
// module, the embedded images). Header only, so that tools and tests use it
// without linking a library.

#include <cstdint>
#include <vector>

namespace tev {

inline uint16_t readLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void writeLe16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

inline void writeLe32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void putLe16(std::vector<uint8_t>& out, uint16_t value) {
    out.resize(out.size() + 2);
    writeLe16(out.data() + out.size() - 2, value);
}

inline void putLe32(std::vector<uint8_t>& out, uint32_t value) {
    out.resize(out.size() + 4);
    writeLe32(out.data() + out.size() - 4, value);
}

}  // namespace tev
