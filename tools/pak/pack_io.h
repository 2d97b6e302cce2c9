#pragma once
// Writing and checking resource packs, for the pack tool and the content
// generator: "PACK", version byte 1, 67 more header bytes (here a tag,
// zero-padded), then entries to the end of the file. An entry is a 20-byte
// NUL-terminated name, a signed 32-bit little-endian payload size and the
// payload. A picture's payload is width, height and depth (little-endian
// 32-bit each), then width * height * depth pixel bytes, rows in stored
// order (the first stored row becomes texture row t = 0).
//
// The parser trusts nothing: every size is checked against what the file
// holds before anything is allocated or read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/pack_format.h"

namespace tev::pack {

// Written into the header's free bytes, after "PACK" and the version.
inline constexpr char kHeaderTag[] = "tev-intro resource pack";

struct Entry {
    std::string name;
    std::vector<uint8_t> payload;
};

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;               // bytes per pixel
    const uint8_t* pixels = nullptr;  // points into the entry's payload
    size_t extraBytes = 0;            // payload bytes after the pixels
};

// A picture payload from width * height * depth pixel bytes.
std::vector<uint8_t> picturePayload(uint32_t width, uint32_t height, uint32_t depth,
                                    const uint8_t* pixels);

// Whether `name` can be stored and found again: 1 to 14 printable ASCII
// characters, none of them '/', '\\' or '=', and not starting with '.'.
bool validName(const std::string& name, std::string* why);

// Whether a name read from a pack is safe as a file name part.
bool safeFileName(const std::string& name);

// The bytes of a pack file holding `entries` in order. Fails on a name that
// validName refuses, a repeated name or a payload too large for its size field.
bool encodePack(const std::vector<Entry>& entries, std::vector<uint8_t>& out, std::string* error);

// All entries of a whole pack file. Fails on a header that is short or not
// "PACK" version 1, an entry header cut short, a negative payload size or a
// payload that runs past the end of the file.
bool parsePack(const uint8_t* data, size_t size, std::vector<Entry>& entries, std::string* error);

// The picture in an entry's payload. Fails when the payload is shorter than
// its 12-byte picture header, a side or the depth is 0, or the pixels
// claimed (computed without overflow) are more than the payload holds.
bool parsePicture(const Entry& entry, Picture& picture, std::string* error);

}  // namespace tev::pack
