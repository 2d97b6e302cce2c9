// The pack and TGA readers driven through the same long-lived records, as
// the next display cycle drives them after the files were swapped: a good
// picture, then a damaged one, into one record, and the other way round.
//
// The input is a sequence of reads. Each starts with an operation byte
// (bit 0: TGA instead of pack; bit 1: the colour key; bits 2-3: which of
// three records; bit 4: a new display cycle, with the whole picture budget,
// before the read), a little-endian 16-bit length, and that many bytes: a TGA
// file, or a pack input as fuzz_pack_entry takes it (a name-length byte, the
// name, the pack). After every read the record goes through what the show
// does with it next: the size checks of both uploads and the opacity scan.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "assets/tga_loader.h"
#include "fuzz_support.h"

namespace {

// Aborts unless all of `bytes` at `data` may be read.
void expectReadable(const uint8_t* data, size_t bytes) {
    if (data == nullptr || bytes == 0) return;
    if (__asan_region_is_poisoned(const_cast<uint8_t*>(data), bytes) != nullptr) std::abort();
}

void checkRecord(const tev::Texture& texture) {
    // The record's promise: no buffer, or one that holds what its sizes say.
    if (texture.pixels && texture.pixels.size() < texture.byteCount()) std::abort();
    // And a buffer is a picture the budget let in.
    const tev::PictureBudget& budget = tev::pictureBudget();
    if (texture.pixels &&
        (texture.pixels.size() > budget.total() || texture.width > budget.largestSide() ||
         texture.height > budget.largestSide())) {
        std::abort();
    }
    // What uploadMipmapped hands GLU, and what upload hands GL.
    expectReadable(texture.mipmapSource(), tev::imageByteCount(texture.width, texture.height, 4));
    if (texture.holds(1)) {
        expectReadable(texture.pixels.get(), tev::imageByteCount(texture.width, texture.height, 1));
    }
    // The per-frame scan of the shown picture reads every alpha byte.
    (void)texture.opaque();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tev::fuzz::InputFile file;
    std::array<tev::Texture, 3> records;
    tev::fuzz::startCycle();
    const tev::PictureBudget& budget = tev::pictureBudget();
    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t op = data[at];
        const size_t length = std::min<size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
        const uint8_t* content = data + at + 3;
        at += 3 + length;
        tev::Texture& texture = records[(op >> 2 & 3) % records.size()];
        if (op & 16) tev::fuzz::startCycle();
        const size_t spentBefore = budget.spent();

        if (op & 1) {
            file.set(content, length);
            tev::fuzz::AllocationCap cap(budget.total() + tev::fuzz::kStreamAllowance);
            tev::decodeTga(texture, file.path(), (op & 2) != 0);
        } else if (length > 0) {
            const size_t nameLength = std::min<size_t>(content[0], length - 1);
            std::unique_ptr<char[]> name(new char[nameLength + 1]);
            std::memcpy(name.get(), content + 1, nameLength);
            name[nameLength] = '\0';
            const size_t packSize = length - 1 - nameLength;
            file.set(content + 1 + nameLength, packSize);
            tev::fuzz::AllocationCap cap(budget.total() + tev::fuzz::kStreamAllowance);
            tev::readEntry(file.path(), name.get(), texture);
        }
        // A cycle's reads never take more than its budget, and a read that
        // takes a buffer counts it.
        if (budget.spent() > budget.total()) std::abort();
        if (budget.spent() != spentBefore && budget.spent() - spentBefore != texture.pixels.size())
            std::abort();
        for (const tev::Texture& record : records)
            checkRecord(record);
    }
    return 0;
}
