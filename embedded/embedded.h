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

}  // namespace tev::embedded
