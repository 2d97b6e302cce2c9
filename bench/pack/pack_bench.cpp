// A lookup of the last entry of a pack of 400,000 small entries: the reader,
// with its checks on every payload size, against a plain scan that reads
// each entry header and seeks past its payload, checking nothing. The
// checks must not make the reader much slower.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "portable/standard_output.h"

namespace {

constexpr int kEntries = 400000;

void putLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Entries "E0", "E1", ... each a 1 x 1 RGBA picture (16 payload bytes).
const std::string& bigPack() {
    static const std::string path = [] {
        std::vector<uint8_t> bytes = {'P', 'A', 'C', 'K', 1};
        bytes.resize(tev::pack::kHeaderBytes, 0);
        for (int i = 0; i < kEntries; ++i) {
            char name[tev::pack::kNameBytes] = {};
            std::snprintf(name, sizeof name, "E%d", i);
            bytes.insert(bytes.end(), name, name + sizeof name);
            putLe32(bytes, 16);
            for (uint32_t v : {1u, 1u, 4u, 0xffffffffu})
                putLe32(bytes, v);
        }
        const auto file = std::filesystem::temp_directory_path() / "tev-bench-pack.pak";
        FILE* out = std::fopen(file.c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            std::exit(1);
        }
        std::fclose(out);
        return file.string();
    }();
    return path;
}

const std::string kLast = "E" + std::to_string(kEntries - 1);

void BM_ReadEntry(benchmark::State& state) {
    const std::string& path = bigPack();
    for (auto _ : state) {
        char name[32];
        std::strcpy(name, kLast.c_str());
        tev::Texture texture;
        tev::pictureBudget().restart();  // each read as a display cycle's
        const uint8_t status = tev::readEntry(path.c_str(), name, texture);
        if (status != tev::kPackOk) state.SkipWithError("the entry was not found");
        benchmark::DoNotOptimize(texture.pixels.get());
    }
}
BENCHMARK(BM_ReadEntry)->Unit(benchmark::kMillisecond);

// The scan with nothing checked: header, then entry headers and seeks.
void BM_PlainScan(benchmark::State& state) {
    const std::string& path = bigPack();
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        uint8_t header[tev::pack::kHeaderBytes];
        bool found = false;
        if (std::fread(header, 1, sizeof header, file) != sizeof header) {
            state.SkipWithError("the pack has no header");
        }
        uint8_t entry[tev::pack::kEntryHeaderBytes];
        while (!found && std::fread(entry, 1, sizeof entry, file) == sizeof entry) {
            int32_t size;
            std::memcpy(&size, entry + tev::pack::kNameBytes, 4);
            if (std::strncmp(reinterpret_cast<char*>(entry), kLast.c_str(), 20) == 0) {
                uint8_t pixels[16];
                found = std::fread(pixels, 1, sizeof pixels, file) == sizeof pixels;
                benchmark::DoNotOptimize(pixels);
            } else {
                std::fseek(file, size, SEEK_CUR);
            }
        }
        std::fclose(file);
        if (!found) state.SkipWithError("the entry was not found");
    }
}
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);

}  // namespace

// The library prints --help and ends the process by itself.
[[maybe_unused]] const bool outputChecked = tev::checkStandardOutputAtExit("tev-bench-pack");

BENCHMARK_MAIN();
