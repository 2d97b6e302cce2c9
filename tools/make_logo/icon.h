#pragma once
// The desktop icon: the logo upright in its true shape, tinted gold, on a
// dark rounded square. Every size is the same picture: it is drawn once at
// the logo picture's full width and averaged down with premultiplied alpha,
// so the colours at the soft edge do not darken.

#include <cstdint>
#include <vector>

#include "title_art.h"

namespace tev::logo {

// `side` x `side` RGBA bytes (not premultiplied), row 0 at the top; side
// from 1 to the picture's width.
std::vector<uint8_t> drawIcon(const LogoPicture& logo, int side);

}  // namespace tev::logo
