// Packs written by the pack tool's library, read back by the show's own
// reader, and the checks that keep damaged packs from doing harm.

#include "pack_io.h"
#include "file_io.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "assets/pack_file.h"
#include "portable/little_endian.h"
#include "temp_dir.h"

namespace tev {
namespace {

using pack::Entry;
using test::TempDir;

std::vector<uint8_t> pixels(size_t count, uint8_t first) {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = uint8_t(first + i * 7);
    return out;
}

std::vector<uint8_t> encode(const std::vector<Entry>& entries) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(pack::encodePack(entries, bytes, &error)) << error;
    return bytes;
}

std::string parseError(const std::vector<uint8_t>& bytes) {
    std::vector<Entry> entries;
    std::string error;
    EXPECT_FALSE(pack::parsePack(bytes.data(), bytes.size(), entries, &error));
    return error;
}

TEST(PackIo, ShowsReaderGetsBackWhatWasWritten) {
    const auto wide = pixels(3 * 2 * 4, 1), gray = pixels(5 * 1, 9);
    const std::vector<Entry> entries = {
        {"WIDE", pack::picturePayload(3, 2, 4, wide.data())},
        {"GRAY", pack::picturePayload(5, 1, 1, gray.data())},
        {"FOURTEENCHARS!", pack::picturePayload(1, 1, 4, wide.data())},
    };
    const std::vector<uint8_t> bytes = encode(entries);
    ASSERT_EQ(bytes.size(), 72u + 3 * 24 + (12 + 24) + (12 + 5) + (12 + 4));
    EXPECT_EQ(std::memcmp(bytes.data(), "PACK\x01tev-intro", 14), 0);

    TempDir dir;
    const std::string path = dir.write("test.pak", bytes);
    struct Expected {
        const char* name;
        int width, height, depth;
        const std::vector<uint8_t>* pixels;
    };
    for (const Expected& e : {Expected{"WIDE", 3, 2, 4, &wide}, Expected{"GRAY", 5, 1, 1, &gray},
                              Expected{"FOURTEENCHARS!", 1, 1, 4, &wide}}) {
        char name[32];
        std::strcpy(name, e.name);
        Texture texture;
        ASSERT_EQ(readEntry(path.c_str(), name, texture), kPackOk) << e.name;
        EXPECT_EQ(texture.width, e.width);
        EXPECT_EQ(texture.height, e.height);
        EXPECT_EQ(texture.channels, e.depth);
        EXPECT_EQ(std::memcmp(texture.pixels.get(), e.pixels->data(),
                              size_t(e.width) * e.height * e.depth),
                  0);
    }

    std::vector<Entry> parsed;
    std::string error;
    ASSERT_TRUE(pack::parsePack(bytes.data(), bytes.size(), parsed, &error)) << error;
    ASSERT_EQ(parsed.size(), 3u);
    for (size_t i = 0; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].name, entries[i].name);
        EXPECT_EQ(parsed[i].payload, entries[i].payload);
    }
    EXPECT_EQ(encode(parsed), bytes);
}

TEST(PackIo, RefusesNamesTheShowCouldNotFind) {
    const auto one = pixels(4, 0);
    const auto payload = pack::picturePayload(1, 1, 4, one.data());
    for (const char* name : {"", "FIFTEEN_CHARS_X", "a/b", "A=B", ".hidden", "tab\there"}) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(pack::encodePack({{name, payload}}, bytes, &error)) << name;
        EXPECT_FALSE(error.empty());
    }
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(pack::encodePack({{"SAME", payload}, {"SAME", payload}}, bytes, &error));
    EXPECT_NE(error.find("twice"), std::string::npos) << error;
}

TEST(PackIo, DamagedPacksAreRefusedWithAReason) {
    const auto four = pixels(16, 3);
    const std::vector<uint8_t> good = encode({{"A", pack::picturePayload(2, 2, 4, four.data())}});

    EXPECT_NE(parseError({'P', 'A', 'C', 'K', 1}).find("too short"), std::string::npos);
    auto badMagic = good;
    badMagic[0] = 'Q';
    EXPECT_NE(parseError(badMagic).find("PACK"), std::string::npos);
    auto version2 = good;
    version2[4] = 2;
    EXPECT_NE(parseError(version2).find("version 2"), std::string::npos);

    for (size_t cut : {size_t(80), good.size() - 1}) {
        const std::vector<uint8_t> truncated(good.begin(), good.begin() + ptrdiff_t(cut));
        EXPECT_FALSE(parseError(truncated).empty()) << cut;
    }
    auto negative = good;
    std::memcpy(negative.data() + 72 + 20, "\xff\xff\xff\xff", 4);
    EXPECT_NE(parseError(negative).find("negative"), std::string::npos);
    auto huge = good;
    std::memcpy(huge.data() + 72 + 20, "\xff\xff\xff\x7f", 4);
    EXPECT_NE(parseError(huge).find("left in the file"), std::string::npos);

    // A header alone is an empty pack.
    std::vector<Entry> entries;
    std::string error;
    EXPECT_TRUE(pack::parsePack(good.data(), 72, entries, &error)) << error;
    EXPECT_TRUE(entries.empty());
}

TEST(PackIo, NameWithoutTerminatorStopsAtTwentyBytes) {
    std::vector<uint8_t> bytes = {'P', 'A', 'C', 'K', 1};
    bytes.resize(72, 0);
    for (int i = 0; i < 20; ++i)
        bytes.push_back('N');
    putLe32(bytes, 0);
    std::vector<Entry> entries;
    std::string error;
    ASSERT_TRUE(pack::parsePack(bytes.data(), bytes.size(), entries, &error)) << error;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, std::string(20, 'N'));
}

TEST(PackIo, PictureSizesAreCheckedAgainstThePayload) {
    auto picture = [](uint32_t w, uint32_t h, uint32_t d, size_t pixelBytes) {
        Entry e{"P", {}};
        putLe32(e.payload, w);
        putLe32(e.payload, h);
        putLe32(e.payload, d);
        e.payload.resize(e.payload.size() + pixelBytes, 0);
        return e;
    };
    pack::Picture p;
    std::string error;
    EXPECT_TRUE(pack::parsePicture(picture(2, 3, 4, 24), p, &error)) << error;
    EXPECT_EQ(p.extraBytes, 0u);
    EXPECT_TRUE(pack::parsePicture(picture(2, 3, 4, 30), p, &error));
    EXPECT_EQ(p.extraBytes, 6u);
    EXPECT_FALSE(pack::parsePicture(picture(2, 3, 4, 23), p, &error));
    EXPECT_FALSE(pack::parsePicture(picture(0, 3, 4, 24), p, &error));
    // Sizes whose product overflows 64 bits.
    EXPECT_FALSE(pack::parsePicture(picture(0xffffffff, 0xffffffff, 0xffffffff, 8), p, &error));
    EXPECT_FALSE(pack::parsePicture(Entry{"S", {1, 2, 3}}, p, &error));
}

TEST(PackIo, AtomicWriteReplacesWholeOrNothing) {
    TempDir dir;
    const std::string path = dir.write("out.pak", std::vector<uint8_t>(1000, 1));
    std::string error;
    ASSERT_TRUE(files::writeFileAtomically(path, {5, 6, 7}, &error)) << error;
    EXPECT_EQ(test::readFile(path), (std::vector<uint8_t>{5, 6, 7}));
    // Nothing else is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);

    const std::string missing = dir.file("no/such/folder/out.pak");
    EXPECT_FALSE(files::writeFileAtomically(missing, {1}, &error));
    EXPECT_NE(error.find("no/such/folder"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace tev
