#pragma once
// The pictures of the show's resource pack, each 256 x 256 RGBA, opaque,
// rows in stored order (row 0 is the first stored row).
//
// How the show uses them: the picture show maps stored row 0 to the top of
// the screen, so these are stored top-down; it stretches them across a 4:3
// view with about the outer 7 % cut off, so round things are drawn a
// quarter narrower than tall and what matters stays inside the middle.
// "DESTRUCT" lies on a tilted, rippling sheet whose texture repeats, so it
// tiles seamlessly.

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace tev::content {

inline constexpr int kPictureSide = 256;
inline constexpr int kPictureCount = 16;

// Picture "PIC<index>", index 0..15:
//   0       a ringed planet rising among stars, shown alone first;
//   1..14   the frames of a kaleidoscope that spins up and settles (the
//           show flicks through them at up to 8 a second and holds 14);
//   15      the closing picture: the title over an aurora and a farewell.
// Empty on failure (the title lettering's face missing), with a message.
std::vector<uint8_t> drawPicture(int index, const SheetFont& font, std::string* error);

// "DESTRUCT": molten shards split by glowing cracks; tiles seamlessly.
std::vector<uint8_t> drawDestruct();

}  // namespace tev::content
