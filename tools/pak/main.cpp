// tev-pak: lists, extracts and builds the show's resource packs.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "file_io.h"
#include "pack_io.h"
#include "png_io.h"
#include "portable/standard_output.h"
#include "tev_version.h"

namespace {

namespace fs = std::filesystem;
using namespace tev::pack;

// Packs and pictures beyond these are refused before anything big is
// allocated: the show's own pack is 4.5 MB of 256 x 256 pictures.
constexpr size_t kMaxPackBytes = size_t{1} << 30;
constexpr uint32_t kMaxPictureSide = 4096;

void printUsage(FILE* out) {
    std::fprintf(out,
                 "Usage:\n"
                 "  tev-pak list FILE                      one line per entry: name, payload\n"
                 "                                         size, width x height x depth\n"
                 "  tev-pak extract FILE DIR               each picture as DIR/NAME.png (depth 4:\n"
                 "                                         RGBA, 3: RGB, 1: gray)\n"
                 "  tev-pak create FILE NAME=IMAGE.png ... a pack of depth-4 pictures in the\n"
                 "                                         order given\n"
                 "  tev-pak --help                         this text\n"
                 "  tev-pak --version                      the version of the program\n"
                 "\n"
                 "Rows keep their order: the first row of a PNG is the first stored row, which\n"
                 "the show puts at texture coordinate t = 0. Names have 1 to %zu characters.\n"
                 "create writes a temporary file beside FILE and renames it, so FILE is never\n"
                 "left half-written.\n",
                 kMaxNameLength);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "tev-pak: %s\n", message.c_str());
    return 1;
}

bool loadPack(const std::string& path, std::vector<Entry>& entries, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!tev::files::readWholeFile(path, bytes, kMaxPackBytes, error)) return false;
    if (!parsePack(bytes.data(), bytes.size(), entries, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

int listPack(const std::string& path) {
    std::vector<Entry> entries;
    std::string error;
    if (!loadPack(path, entries, &error)) return fail(error);
    for (const Entry& entry : entries) {
        Picture picture;
        std::string why;
        std::string shown = safeFileName(entry.name) ? entry.name : "(unprintable name)";
        std::printf("%-20s %10zu bytes  ", shown.c_str(), entry.payload.size());
        if (parsePicture(entry, picture, &why)) {
            std::printf("%u x %u x %u", picture.width, picture.height, picture.depth);
            if (picture.extraBytes)
                std::printf("  (%zu bytes after the pixels)", picture.extraBytes);
            std::printf("\n");
        } else {
            std::printf("not a picture: %s\n", why.c_str());
        }
    }
    return 0;
}

int extractPack(const std::string& path, const std::string& dirName) {
    std::vector<Entry> entries;
    std::string error;
    if (!loadPack(path, entries, &error)) return fail(error);
    const fs::path dir = dirName;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return fail("cannot create the folder " + dirName);

    int skipped = 0;
    std::set<std::string> written;
    for (const Entry& entry : entries) {
        Picture picture;
        std::string why;
        if (!safeFileName(entry.name)) {
            std::fprintf(stderr, "tev-pak: skipped an entry whose name is not a safe file name\n");
            ++skipped;
            continue;
        }
        if (!written.insert(entry.name).second) {
            std::fprintf(stderr, "tev-pak: skipped a second entry named %s (the first wins)\n",
                         entry.name.c_str());
            ++skipped;
            continue;
        }
        if (!parsePicture(entry, picture, &why)) {
            std::fprintf(stderr, "tev-pak: skipped %s: %s\n", entry.name.c_str(), why.c_str());
            ++skipped;
            continue;
        }
        if (picture.depth != 1 && picture.depth != 3 && picture.depth != 4) {
            std::fprintf(stderr, "tev-pak: skipped %s: depth %u has no PNG form here\n",
                         entry.name.c_str(), picture.depth);
            ++skipped;
            continue;
        }
        if (picture.width > uint32_t(tev::png::kMaxSide) ||
            picture.height > uint32_t(tev::png::kMaxSide)) {
            std::fprintf(stderr, "tev-pak: skipped %s: too large for a PNG here\n",
                         entry.name.c_str());
            ++skipped;
            continue;
        }
        const std::string out = (dir / (entry.name + ".png")).string();
        if (!tev::png::write(out, int(picture.width), int(picture.height), int(picture.depth),
                             picture.pixels, &error)) {
            return fail(error);
        }
        std::printf("%s\n", out.c_str());
    }
    if (skipped) return fail(std::to_string(skipped) + " entries were not extracted");
    return 0;
}

// Width and height from a PNG's header, so that a huge picture is refused
// before it is decoded. False when the file does not look like a PNG; the
// decoder then says what is wrong.
bool pngSize(const std::string& path, uint32_t& width, uint32_t& height) {
    uint8_t head[24];
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (got != sizeof head || std::memcmp(head, signature, 8) != 0 ||
        std::memcmp(head + 12, "IHDR", 4) != 0) {
        return false;
    }
    auto be32 = [](const uint8_t* p) {
        return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
    };
    width = be32(head + 16);
    height = be32(head + 20);
    return true;
}

int createPack(const std::string& path, int count, char** pairs) {
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const std::string pair = pairs[i];
        const size_t equals = pair.find('=');
        if (equals == std::string::npos) {
            return fail("\"" + pair + "\" is not NAME=IMAGE.png");
        }
        Entry entry;
        entry.name = pair.substr(0, equals);
        const std::string image = pair.substr(equals + 1);
        std::string why;
        if (!validName(entry.name, &why)) return fail("bad name in \"" + pair + "\": " + why);
        uint32_t width = 0, height = 0;
        if (pngSize(image, width, height) &&
            (width > kMaxPictureSide || height > kMaxPictureSide)) {
            return fail(image + ": " + std::to_string(width) + " x " + std::to_string(height) +
                        " is larger than " + std::to_string(kMaxPictureSide) + " on a side");
        }
        tev::png::Image png;
        std::string error;
        if (!tev::png::readRgba(image, png, &error)) return fail(error);
        entry.payload =
            picturePayload(uint32_t(png.width), uint32_t(png.height), 4, png.rgba.data());
        entries.push_back(std::move(entry));
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!encodePack(entries, bytes, &error) ||
        !tev::files::writeFileAtomically(path, bytes, &error)) {
        return fail(error);
    }
    std::printf("%s: %zu entries, %zu bytes\n", path.c_str(), entries.size(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                      std::strcmp(argv[1], "help") == 0)) {
        printUsage(stdout);
        return tev::endOfPrinting("tev-pak");
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("tev-pak " TEV_VERSION);
        return tev::endOfPrinting("tev-pak");
    }
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "list" && argc == 3) return listPack(argv[2]);
    if (command == "extract" && argc == 4) return extractPack(argv[2], argv[3]);
    if (command == "create" && argc >= 4) return createPack(argv[2], argc - 3, argv + 3);
    printUsage(stderr);
    return 2;
}
