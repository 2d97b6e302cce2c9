#pragma once
// Reads an uncompressed TGA file into a Texture as RGBA, optionally turning
// near-black pixels transparent (the colour key), and uploads it with
// mipmaps.
//
// Only the fields it needs are taken from the 18-byte header: width and
// height (signed 16 bits) and the pixel depth (channels = depth / 8). The ID
// field is not skipped, the origin bit is not honoured (rows go to OpenGL in
// file order, so bottom-up files come out upright), and an 8-bit file has
// 768 bytes after the header skipped as its colour map; its index bytes are
// used as gray levels.

#include "assets/texture.h"

namespace tev {

// The texture's name after the upload; -1 when the file can't be opened
// (anything but a regular file can't) or read, when its width or height is
// negative, when its RGBA picture is over the memory budget
// (picture_budget.h: the sizes are kept, with no pixels), or when a buffer
// can't be allocated. A width or height of 0 is an empty picture, not a
// failure: it is uploaded as any other, and a new name with no image is
// returned. A file cut short keeps zeros for the pixels it lacks. Files of other depths
// (16-bit gives 2 channels) are read but not converted or uploaded: the
// texture's previous name is returned. `path` is stored, not copied.
int loadTga(Texture& texture, const char* path, bool colourKey);

// What loadTga does before its upload, which needs no GL context.
enum class TgaDecode {
    Failed,       // loadTga returns -1
    Unconverted,  // a depth other than 8, 24 or 32 bits: nothing to upload
    Rgba,         // pixels hold width * height RGBA pixels, channels is 4
};
TgaDecode decodeTga(Texture& texture, const char* path, bool colourKey);

// The colour key over width * height RGBA pixels: alpha 0 where red, green
// and blue are all below 4, else 255.
void applyColourKey(uint8_t* rgba, size_t pixelCount);

}  // namespace tev
