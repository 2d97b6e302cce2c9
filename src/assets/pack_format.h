#pragma once
// The resource pack's layout, shared by the show's reader, the pack tool and
// the tests: "PACK", version byte 1, 67 more header bytes, then entries to
// the end of the file. An entry is a 20-byte NUL-terminated name, a signed
// 32-bit little-endian payload size and the payload; a picture's payload is
// width, height and depth (32-bit each), then width * height * depth pixel
// bytes, rows in stored order.

#include <cstddef>
#include <cstdint>

namespace tev::pack {

inline constexpr char kMagic[4] = {'P', 'A', 'C', 'K'};
inline constexpr uint8_t kVersion = 1;
inline constexpr size_t kHeaderBytes = 72;
inline constexpr size_t kEntryHeaderBytes = 24;
inline constexpr size_t kNameBytes = 20;
inline constexpr size_t kPictureHeaderBytes = 12;
// The reader cuts the names it looks for to this length, so a longer stored
// name can never be found.
inline constexpr size_t kMaxNameLength = 14;

}  // namespace tev::pack
