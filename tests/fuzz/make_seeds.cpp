// Writes the fuzzers' starting inputs: the show's own pack, pictures and
// module, small pieces of them, and small damaged files of each kind.
// tev-fuzz-seeds OUT_DIR DATA.PAK DATA_DIR MUSIC.it
// writes OUT_DIR/pack, OUT_DIR/tga and OUT_DIR/music.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/pack_format.h"
#include "portable/little_endian.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool allWritten = true;

// The small seeds of each reader, kept for the sequences of reads.
constexpr size_t kSmallSeed = 4096;
std::vector<std::vector<uint8_t>> smallPackInputs, smallTgaInputs;

void writeAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "tev-fuzz-seeds: cannot write %s\n", path.c_str());
        allWritten = false;
    }
}

// ---- packs: the fuzz input is a name-length byte, the name, then the pack.

using tev::pack::kEntryHeaderBytes;
using tev::pack::kHeaderBytes;
using tev::pack::kNameBytes;

struct Entry {
    std::string name;
    Bytes payload;
    int32_t declaredSize = -1;  // the payload's own size unless set
};

Bytes packHeader(uint8_t version = 1) {
    Bytes bytes = {'P', 'A', 'C', 'K', version};
    bytes.resize(kHeaderBytes, 0);
    return bytes;
}

void addEntry(Bytes& pack, const Entry& e) {
    char name[kNameBytes] = {};
    std::memcpy(name, e.name.data(), std::min(e.name.size(), kNameBytes));
    pack.insert(pack.end(), name, name + kNameBytes);
    tev::putLe32(pack, static_cast<uint32_t>(e.declaredSize >= 0 ? e.declaredSize
                                                                 : int32_t(e.payload.size())));
    pack.insert(pack.end(), e.payload.begin(), e.payload.end());
}

Bytes picture(uint32_t w, uint32_t h, uint32_t depth, size_t pixelBytes) {
    Bytes p;
    tev::putLe32(p, w);
    tev::putLe32(p, h);
    tev::putLe32(p, depth);
    for (size_t i = 0; i < pixelBytes; ++i)
        p.push_back(static_cast<uint8_t>(i * 7 + 1));
    return p;
}

Bytes packInput(const std::string& wanted, const Bytes& pack) {
    Bytes input = {static_cast<uint8_t>(wanted.size())};
    input.insert(input.end(), wanted.begin(), wanted.end());
    input.insert(input.end(), pack.begin(), pack.end());
    return input;
}

// The show's pack with every picture cut to its top-left corner of at most
// side x side pixels, so that a whole pack fits a small input.
Bytes shrunkPack(const Bytes& real, uint32_t side) {
    if (real.size() < kHeaderBytes) return {};
    Bytes pack(real.begin(), real.begin() + kHeaderBytes);
    size_t at = kHeaderBytes;
    while (at + kEntryHeaderBytes <= real.size()) {
        const std::string name(reinterpret_cast<const char*>(&real[at]),
                               strnlen(reinterpret_cast<const char*>(&real[at]), kNameBytes));
        const uint32_t size = tev::readLe32(&real[at + kNameBytes]);
        const size_t payload = at + kEntryHeaderBytes;
        if (size < 12 || payload + size > real.size()) break;
        const uint32_t w = tev::readLe32(&real[payload]), h = tev::readLe32(&real[payload + 4]);
        const uint32_t depth = tev::readLe32(&real[payload + 8]);
        const uint32_t cw = std::min(w, side), ch = std::min(h, side);
        Bytes p;
        tev::putLe32(p, cw);
        tev::putLe32(p, ch);
        tev::putLe32(p, depth);
        for (uint32_t y = 0; y < ch; ++y) {
            const size_t row = payload + 12 + size_t(y) * w * depth;
            if (row + size_t(cw) * depth > payload + size) break;
            p.insert(p.end(), real.begin() + row, real.begin() + row + size_t(cw) * depth);
        }
        addEntry(pack, {name, p});
        at = payload + size;
    }
    return pack;
}

void packSeeds(const fs::path& dir, const Bytes& real) {
    int n = 0;
    auto seed = [&](const std::string& wanted, const Bytes& pack) {
        const Bytes input = packInput(wanted, pack);
        writeAll(dir / ("seed" + std::to_string(n++)), input);
        if (input.size() <= kSmallSeed) smallPackInputs.push_back(input);
    };
    const Bytes small = shrunkPack(real, 8);
    for (const char* name : {"PIC0", "PIC7", "PIC15", "DESTRUCT", "PIC16"})
        seed(name, small);
    seed("PIC0", real);  // libFuzzer keeps what fits its largest input

    Bytes p = packHeader();
    addEntry(p, {"PIC0", picture(2, 1, 4, 8)});
    seed("PIC0", p);
    seed("", p);
    seed("ABCDEFGHIJKLMNOPQRSTUVWXYZ", p);
    seed("PIC0", packHeader(2));  // wrong version
    Bytes cut = p;
    cut.resize(kHeaderBytes - 1);
    seed("PIC0", cut);  // header cut short
    seed("PIC0", {});   // empty
    cut = p;
    cut.resize(p.size() - 3);
    seed("PIC0", cut);  // pixels cut short

    p = packHeader();
    addEntry(p, {"A", {1, 2, 3, 4}, -8});  // a negative size
    addEntry(p, {"PIC0", picture(1, 1, 4, 4)});
    seed("PIC0", p);
    p = packHeader();
    addEntry(p, {"A", {1, 2, 3, 4}, 0x100000});  // more than is left
    seed("PIC0", p);
    for (auto [w, h, d] : {std::tuple{65536u, 65536u, 4u},
                           {0xFFFFFFFEu, 1u, 4u},
                           {2u, 1u, 0u},
                           {3u, 3u, 4u},
                           {1u, 1u, 0x7FFFFFFFu}}) {
        p = packHeader();
        addEntry(p, {"PIC0", picture(w, h, d, 8)});
        seed("PIC0", p);
    }
    p = packHeader();  // the first of two entries of one name; a name cut to 14
    addEntry(p, {"SAME", picture(1, 1, 4, 4)});
    addEntry(p, {"SAME", picture(1, 1, 4, 4)});
    addEntry(p, {"ABCDEFGHIJKLMNO", picture(1, 1, 4, 4)});
    addEntry(p, {"ABCDEFGHIJKLMN", picture(1, 1, 4, 4)});
    seed("SAME", p);
    seed("ABCDEFGHIJKLMNO", p);
    p = packHeader();  // a name without its NUL
    addEntry(p, {"ZZZZZZZZZZZZZZZZZZZZ", picture(1, 1, 4, 4)});
    seed("ZZZZZZZZZZZZZZZZZZZZ", p);
    p = packHeader();  // pixels that run on into the next entry
    Bytes empty = picture(1, 1, 4, 0);
    addEntry(p, {"PIC0", empty});
    addEntry(p, {"NEXT", {9, 9, 9, 9}});
    seed("PIC0", p);
}

// ---- TGA files: the fuzz input is the file.

Bytes tgaHeader(uint16_t w, uint16_t h, uint8_t depth, uint8_t idLength = 0, uint8_t type = 2) {
    Bytes b = {idLength, 0, type};
    tev::putLe16(b, 0);
    tev::putLe16(b, 0);
    b.push_back(0);
    tev::putLe16(b, 0);
    tev::putLe16(b, 0);
    tev::putLe16(b, w);
    tev::putLe16(b, h);
    b.push_back(depth);
    b.push_back(0);
    return b;
}

Bytes tga(uint16_t w, uint16_t h, uint8_t depth, size_t dataBytes, bool map = false) {
    Bytes b = tgaHeader(w, h, depth);
    if (map) b.resize(b.size() + 768, 0xEE);
    for (size_t i = 0; i < dataBytes; ++i)
        b.push_back(static_cast<uint8_t>(i * 3));
    return b;
}

// The top-left corner of at most side x side pixels of a real file.
Bytes cropTga(const Bytes& real, uint16_t side) {
    if (real.size() < 18) return {};
    const uint16_t w = uint16_t(real[12] | real[13] << 8), h = uint16_t(real[14] | real[15] << 8);
    const uint8_t depth = real[16];
    const size_t channels = depth / 8;
    const uint16_t cw = std::min(w, side), ch = std::min(h, side);
    Bytes b(real.begin(), real.begin() + 18);
    b[12] = uint8_t(cw);
    b[13] = uint8_t(cw >> 8);
    b[14] = uint8_t(ch);
    b[15] = uint8_t(ch >> 8);
    for (size_t y = 0; y < ch; ++y) {
        const size_t row = 18 + y * w * channels;
        if (row + cw * channels > real.size()) break;
        b.insert(b.end(), real.begin() + row, real.begin() + row + cw * channels);
    }
    return b;
}

void tgaSeeds(const fs::path& dir, const fs::path& dataDir) {
    int n = 0;
    auto seed = [&](const Bytes& bytes) {
        writeAll(dir / ("seed" + std::to_string(n++)), bytes);
        if (bytes.size() <= kSmallSeed) smallTgaInputs.push_back(bytes);
    };
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dataDir, error)) {
        if (entry.path().extension() != ".tga") continue;
        const Bytes real = readAll(entry.path());
        seed(real);
        seed(cropTga(real, 8));
    }
    seed(tga(2, 1, 24, 6));
    seed(tga(4, 1, 32, 16));
    seed(tga(2, 1, 8, 2, true));  // 8 bits with its map
    seed(tga(2, 1, 8, 770));      // 8 bits without: the skip eats pixels
    seed(tga(1, 1, 16, 2));       // read, not converted
    seed(tga(2, 2, 24, 7));       // cut short
    seed(tga(0, 4, 24, 0));
    seed(tga(0xFFFD, 4, 24, 12));  // a negative width
    seed(tga(32767, 32767, 32, 4));
    seed(tga(4, 4, 0, 0));
    seed(tga(4, 4, 255, 64));
    Bytes id = tgaHeader(2, 1, 24, 5);  // an ID field, read as pixels
    id.insert(id.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    seed(id);
    seed(tgaHeader(2, 2, 24, 0, 10));  // run-length type, read as raw
    seed({1, 2, 3});
    seed(tgaHeader(1, 1, 24));
}

// ---- modules.

void musicSeeds(const fs::path& dir, const Bytes& module) {
    int n = 0;
    auto seed = [&](const Bytes& bytes) { writeAll(dir / ("seed" + std::to_string(n++)), bytes); };
    seed(module);
    for (size_t size : {size_t{192}, size_t{1024}, module.size() / 2, module.size() - 1}) {
        if (size <= module.size()) seed(Bytes(module.begin(), module.begin() + size));
    }
    if (module.size() >= 0x40) {
        Bytes damaged = module;
        damaged[0x22] = 0xFF;  // instruments beyond the tables
        seed(damaged);
        damaged = module;
        std::memset(&damaged[0xC0], 0xFF, 16);  // orders and the first offsets
        seed(damaged);
    }
}

// ---- sequences of reads into the same records (fuzz_records).

struct Read {
    bool tga;
    int record;
    const Bytes* input;
};

Bytes sequence(std::initializer_list<Read> reads) {
    Bytes out;
    for (const Read& r : reads) {
        out.push_back(static_cast<uint8_t>((r.tga ? 1 : 0) | r.record << 2));
        tev::putLe16(out, static_cast<uint16_t>(r.input->size()));
        out.insert(out.end(), r.input->begin(), r.input->end());
    }
    return out;
}

// Every small seed after a good read into the same record and before one;
// the records swap readers too.
void recordSeeds(const fs::path& dir) {
    if (smallPackInputs.empty() || smallTgaInputs.empty()) return;
    int n = 0;
    auto seed = [&](const Bytes& bytes) { writeAll(dir / ("seed" + std::to_string(n++)), bytes); };
    const Bytes& goodPack = smallPackInputs.front();  // a picture of the show's own pack
    const Bytes& goodTga = smallTgaInputs.front();    // one of the show's own sprites
    for (const Bytes& hostile : smallPackInputs) {
        seed(sequence({{false, 0, &goodPack}, {false, 0, &hostile}}));
        seed(sequence({{false, 0, &hostile}, {false, 0, &goodPack}}));
        seed(sequence({{true, 1, &goodTga}, {false, 1, &hostile}}));
    }
    for (const Bytes& hostile : smallTgaInputs) {
        seed(sequence({{true, 1, &goodTga}, {true, 1, &hostile}}));
        seed(sequence({{true, 1, &hostile}, {true, 1, &goodTga}}));
        seed(sequence({{false, 2, &goodPack}, {true, 2, &hostile}, {false, 2, &goodPack}}));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: tev-fuzz-seeds OUT_DIR DATA.PAK DATA_DIR MUSIC.it\n");
        return 2;
    }
    const fs::path out = argv[1];
    const Bytes pack = readAll(argv[2]);
    const Bytes module = readAll(argv[4]);
    if (pack.empty() || module.empty()) {
        std::fprintf(stderr, "tev-fuzz-seeds: cannot read %s or %s\n", argv[2], argv[4]);
        return 1;
    }
    for (const char* kind : {"pack", "tga", "music", "records"}) {
        std::error_code error;
        fs::remove_all(out / kind, error);
        fs::create_directories(out / kind, error);
        if (error) {
            std::fprintf(stderr, "tev-fuzz-seeds: cannot make %s\n", (out / kind).c_str());
            return 1;
        }
    }
    packSeeds(out / "pack", pack);
    tgaSeeds(out / "tga", argv[3]);
    musicSeeds(out / "music", module);
    recordSeeds(out / "records");
    return allWritten ? 0 : 1;
}
