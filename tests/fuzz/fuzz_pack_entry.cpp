// readEntry on any pack file with any entry name. The input's first byte is
// the length of the name, the name follows, and the rest is the pack file.
// A read may keep no more than the picture budget, whatever the pack claims.

#include <sanitizer/asan_interface.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tev::fuzz::InputFile pack;
    if (size == 0) return 0;
    const size_t nameLength = std::min<size_t>(data[0], size - 1);
    // Exactly as long as the name, so that a write past it is caught.
    std::unique_ptr<char[]> name(new char[nameLength + 1]);
    std::memcpy(name.get(), data + 1, nameLength);
    name[nameLength] = '\0';
    const uint8_t* packBytes = data + 1 + nameLength;
    const size_t packSize = size - 1 - nameLength;
    pack.set(packBytes, packSize);

    tev::Texture texture;
    tev::fuzz::startCycle();
    const tev::PictureBudget& budget = tev::pictureBudget();
    {
        tev::fuzz::AllocationCap cap(budget.total() + tev::fuzz::kStreamAllowance);
        const uint8_t status = tev::readEntry(pack.path(), name.get(), texture);
        // Whoever uploads the picture reads byteCount() bytes of it: a record
        // has no buffer or one that holds them, within the budget and its
        // largest side, and counted in it.
        const size_t bytes = texture.byteCount();
        if (texture.pixels &&
            (bytes == 0 || texture.pixels.size() < bytes || budget.spent() != bytes ||
             texture.width > budget.largestSide() || texture.height > budget.largestSide() ||
             __asan_region_is_poisoned(texture.pixels.get(), bytes) != nullptr)) {
            std::abort();
        }
        if (budget.spent() > budget.total()) std::abort();
        // Read in full means all of its pixels, unless it has none.
        if (status == tev::kPackOk && bytes > 0 && !texture.pixels) std::abort();
    }
    return 0;
}
