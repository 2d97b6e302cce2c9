#include "assets/texture_generator.h"

#include <span>

#include "proc/texture_kinds.h"

namespace tev {

int generateTexture(Texture& target, int kind) {
    const std::optional<TextureKind> known = textureKindFromNumber(kind);
    if (!known) return 0;
    const TextureKindInfo& info = textureKindInfo(*known);
    if (target.allocate(info.width, info.height, info.channels) != 1) return 0;
    fillTextureKind(*known, std::span<uint8_t>(target.pixels.get(), target.byteCount()));
    if (info.upload == TextureUpload::Luminance) {
        target.upload();
    } else {
        target.uploadMipmapped();
    }
    target.releasePixels();
    return static_cast<int>(target.textureName);
}

}  // namespace tev
