#pragma once
// Computed textures: fills a Texture with one of the five procedural
// images (proc/texture_kinds.h), uploads it and frees the pixel memory.

#include "assets/texture.h"

namespace tev {

// Sizes `target` for kind 1..5 (creating a texture name when it has none),
// fills it, uploads it (single level for gray kinds, a fresh name with
// mipmaps for RGBA kinds) and releases the pixels. Returns the target's
// textureName. Returns 0 for any other kind, with the target untouched and
// no GL call, and 0 when the pixels cannot be allocated (nothing is written
// or uploaded then). Needs a current GL context.
int generateTexture(Texture& target, int kind);

}  // namespace tev
