#pragma once
// Data the program carries in itself, generated at build time.

#include <cstdint>

namespace tev::embedded {

// The show's Impulse Tracker module and its length in bytes.
extern const unsigned char music[];
extern const uint32_t musicSize;

// The glyph sheet (512 x 512 x 1, bottom-up) and the logo (256 x 128 x 1,
// bottom-up), each in the embedded-image layout, and their lengths in bytes.
extern const unsigned char fontSheet[];
extern const uint32_t fontSheetSize;
extern const unsigned char logo[];
extern const uint32_t logoSize;

// The desktop icon at 16, 24, 32, 48 and 64 pixels square: RGBA records in
// the embedded-image layout, row 0 at the top, one after another.
extern const unsigned char windowIcons[];
extern const uint32_t windowIconsSize;

}  // namespace tev::embedded
