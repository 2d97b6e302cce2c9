// The TGA reader, up to the upload, on any file, with the colour key off and
// on. The RGBA picture it makes may be at most four times the file's size
// (an 8-bit file grows by four).

#include <sanitizer/asan_interface.h>

#include <cstdlib>

#include "assets/tga_loader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tev::fuzz::InputFile file;
    file.set(data, size);
    for (const bool colourKey : {false, true}) {
        tev::Texture texture;
        tev::fuzz::AllocationCap cap(4 * size + tev::fuzz::kStreamAllowance);
        if (tev::decodeTga(texture, file.path(), colourKey) != tev::TgaDecode::Rgba) continue;
        // The upload reads width * height RGBA pixels.
        const size_t bytes = texture.byteCount();
        if (texture.channels != 4 || bytes > 4 * size) std::abort();
        if (bytes > 0 && (texture.mipmapSource() == nullptr ||
                          __asan_region_is_poisoned(texture.pixels.get(), bytes) != nullptr)) {
            std::abort();
        }
        for (size_t i = 0; i < bytes; i += 4) {
            const uint8_t* p = texture.pixels.get() + i;
            const bool dark = p[0] < 4 && p[1] < 4 && p[2] < 4;
            if (colourKey && p[3] != (dark ? 0 : 255)) std::abort();
        }
    }
    return 0;
}
