// The TGA reader, up to the upload, on any file, with the colour key off and
// on. The RGBA picture it makes stays within the picture budget, whatever
// the file claims; a file cut short is read with the rest zero.

#include <sanitizer/asan_interface.h>

#include <cstdlib>

#include "assets/picture_budget.h"
#include "assets/tga_loader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tev::fuzz::InputFile file;
    file.set(data, size);
    for (const bool colourKey : {false, true}) {
        tev::Texture texture;
        tev::fuzz::startCycle();
        const tev::PictureBudget& budget = tev::pictureBudget();
        tev::fuzz::AllocationCap cap(budget.total() + tev::fuzz::kStreamAllowance);
        const tev::TgaDecode result = tev::decodeTga(texture, file.path(), colourKey);
        if (budget.spent() > budget.total()) std::abort();
        // Refused or not converted: nothing kept that the sizes don't hold.
        if (result != tev::TgaDecode::Rgba) {
            if (texture.pixels && texture.pixels.size() < texture.byteCount()) std::abort();
            continue;
        }
        // The upload reads width * height RGBA pixels. An empty picture
        // takes nothing, whatever its other side.
        const size_t bytes = texture.byteCount();
        if (texture.channels != 4 || bytes != budget.spent()) std::abort();
        if (bytes > 0 &&
            (texture.width > budget.largestSide() || texture.height > budget.largestSide())) {
            std::abort();
        }
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
