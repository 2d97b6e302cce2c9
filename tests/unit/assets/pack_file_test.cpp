#include "assets/pack_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <utility>

#include "assets/picture_budget.h"
#include "portable/little_endian.h"
#include "temp_dir.h"

namespace tev {
namespace {

using test::readText;
using test::TempDir;

struct PackEntry {
    std::string name;
    std::vector<uint8_t> payload;
};

std::vector<uint8_t> picture(int32_t w, int32_t h, int32_t depth, uint8_t first = 1) {
    std::vector<uint8_t> payload;
    putLe32(payload, static_cast<uint32_t>(w));
    putLe32(payload, static_cast<uint32_t>(h));
    putLe32(payload, static_cast<uint32_t>(depth));
    for (int i = 0; i < w * h * depth; ++i)
        payload.push_back(static_cast<uint8_t>(first + i));
    return payload;
}

std::vector<uint8_t> pack(const std::vector<PackEntry>& entries, uint8_t version = 1) {
    std::vector<uint8_t> bytes = {'P', 'A', 'C', 'K', version};
    bytes.resize(pack::kHeaderBytes, 0);
    for (const auto& e : entries) {
        char name[pack::kNameBytes] = {};
        std::memcpy(name, e.name.data(), std::min<size_t>(e.name.size(), pack::kNameBytes));
        bytes.insert(bytes.end(), name, name + pack::kNameBytes);
        putLe32(bytes, static_cast<uint32_t>(e.payload.size()));
        bytes.insert(bytes.end(), e.payload.begin(), e.payload.end());
    }
    return bytes;
}

class PackFile : public ::testing::Test {
  protected:
    void SetUp() override {
        logPath = dir.file("load.log");
        loadLog().setPath(logPath.c_str());
        loadLog().firstWrite = 1;
        pictureBudget().restart();
    }
    void TearDown() override {
        loadLog().setPath(nullptr);
        pictureBudget().restart();
    }

    uint8_t read(const std::string& packPath, const char* name) {
        std::strncpy(nameBuffer, name, sizeof nameBuffer - 1);
        return readEntry(packPath.c_str(), nameBuffer, texture);
    }
    std::string log() const { return readText(logPath); }
    // The log so far; the next read starts it afresh.
    std::string takeLog() {
        loadLog().firstWrite = 1;
        return log();
    }

    TempDir dir;
    std::string logPath;
    char nameBuffer[64] = {};
    Texture texture;
};

TEST_F(PackFile, ReadsATwoByOnePictureOf116Bytes) {
    const auto bytes = pack({{"PIC0", picture(2, 1, 4, 10)}});
    ASSERT_EQ(bytes.size(), 116u);
    EXPECT_EQ(read(dir.write("a.pak", bytes), "PIC0"), kPackOk);
    EXPECT_EQ(texture.width, 2);
    EXPECT_EQ(texture.height, 1);
    EXPECT_EQ(texture.channels, 4);
    ASSERT_NE(texture.pixels, nullptr);
    EXPECT_EQ(texture.pixels[0], 10);
    EXPECT_EQ(texture.pixels[7], 17);
    EXPECT_EQ(texture.textureName, 0u);  // the reader does not upload
    EXPECT_EQ(log(),
              "READING::name: PIC0\nREADING::data name: PIC0\nREADING::data size: 20\n"
              "READING::width: 2\nREADING::height: 1\nREADING::depth: 4\n\n");
}

TEST_F(PackFile, WrongVersionOrShortHeaderIsReportedWithItsCode) {
    EXPECT_EQ(read(dir.write("v2.pak", pack({}, 2)), "PIC0"), kPackBadVersion);
    EXPECT_EQ(log(), "*** Error! Wrong pack version, 1\n");

    auto magic = pack({});
    magic[0] = 'X';
    EXPECT_EQ(read(dir.write("magic.pak", magic), "PIC0"), kPackBadVersion);

    std::vector<uint8_t> shortPack = pack({});
    shortPack.resize(71);
    EXPECT_EQ(read(dir.write("short.pak", shortPack), "PIC0"), kPackShort);
    EXPECT_EQ(log(),
              "*** Error! Wrong pack version, 1\n*** Error! Wrong pack version, 1\n"
              "*** Error! Wrong pack version, 4\n");
}

TEST_F(PackFile, MissingEntryLogsEveryEntryAndEndsWithDone) {
    const auto path = dir.write("a.pak", pack({{"ONE", picture(1, 1, 4)}, {"TWO", {1, 2, 3}}}));
    EXPECT_EQ(read(path, "THREE"), kPackNoEntry);
    EXPECT_EQ(log(),
              "READING::name: THREE\nREADING::data name: ONE\nREADING::data size: 16\n"
              "READING::data name: TWO\nREADING::data size: 3\nREADING DONE!\n\n");
    EXPECT_EQ(texture.pixels, nullptr);
}

TEST_F(PackFile, FirstOfTwoEntriesWithOneNameWins) {
    const auto path =
        dir.write("a.pak", pack({{"SAME", picture(1, 1, 4, 50)}, {"SAME", picture(1, 1, 4, 90)}}));
    EXPECT_EQ(read(path, "SAME"), kPackOk);
    EXPECT_EQ(texture.pixels[0], 50);
}

TEST_F(PackFile, NamesAreCutToFourteenCharacters) {
    const auto path = dir.write("a.pak", pack({{"ABCDEFGHIJKLMNO", picture(1, 1, 4)},
                                               {"ABCDEFGHIJKLMN", picture(1, 1, 4, 77)}}));
    // The 15-character entry can never be found: the request is cut to 14.
    EXPECT_EQ(read(path, "ABCDEFGHIJKLMNO"), kPackOk);
    EXPECT_STREQ(nameBuffer, "ABCDEFGHIJKLMN");
    EXPECT_EQ(texture.pixels[0], 77);
}

TEST_F(PackFile, MissingPackIsCode3AndWritesNoLog) {
    EXPECT_EQ(read(dir.file("none.pak"), "PIC0"), kPackCannotOpen);
    EXPECT_FALSE(std::filesystem::exists(logPath));
}

TEST_F(PackFile, ReadOnlyPackIsRead) {
    const auto path = dir.write("ro.pak", pack({{"PIC0", picture(2, 1, 4)}}));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(read(path, "PIC0"), kPackOk);
}

TEST_F(PackFile, OnlyARegularFileIsOpened) {
    // Opening a FIFO for reading would wait for a writer for ever: the alarm
    // ends the test program if it does.
    alarm(20);
    const auto fifo = dir.file("fifo.pak");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto folder = dir.file("folder.pak");
    std::filesystem::create_directory(folder);
    for (const std::string& path : {fifo, folder, std::string("/dev/zero")}) {
        EXPECT_EQ(read(path, "PIC0"), kPackCannotOpen) << path;
    }
    alarm(0);
    // A link to a pack is as good as the pack.
    const auto link = dir.file("link.pak");
    std::filesystem::create_symlink(dir.write("a.pak", pack({{"PIC0", picture(2, 1, 4)}})), link);
    EXPECT_EQ(read(link, "PIC0"), kPackOk);
}

// Rewrites the payload size of the entry whose header starts at `offset`.
void setPayloadSize(std::vector<uint8_t>& bytes, size_t offset, int32_t size) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + pack::kNameBytes + i] =
            static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i));
}

TEST_F(PackFile, PayloadSizesSkipOtherEntriesAndNeverTheWantedOne) {
    const size_t first = pack::kHeaderBytes;
    const size_t second = first + pack::kEntryHeaderBytes + 4;

    // A negative size would seek backwards for ever: refused.
    auto negative = pack({{"A", {1, 2, 3, 4}}, {"PIC0", picture(1, 1, 4)}});
    setPayloadSize(negative, first, -1);
    EXPECT_EQ(read(dir.write("neg.pak", negative), "PIC0"), kPackShort);
    EXPECT_EQ(takeLog(), "READING::name: PIC0\nREADING::data name: A\nREADING::data size: -1\n");

    // One that runs past the end leaves no next entry: the scan ends there.
    auto past = pack({{"A", {1, 2, 3, 4}}, {"PIC0", picture(1, 1, 4)}});
    setPayloadSize(past, first, 1 << 20);
    EXPECT_EQ(read(dir.write("past.pak", past), "PIC0"), kPackNoEntry);
    EXPECT_EQ(takeLog(),
              "READING::name: PIC0\nREADING::data name: A\nREADING::data size: 1048576\n"
              "READING DONE!\n\n");
    EXPECT_EQ(texture.pixels, nullptr);

    // The wanted entry is read by its own sizes whatever its payload size
    // says: too small, past the end, negative.
    for (int32_t size : {0, 1 << 20, -5}) {
        auto bytes = pack({{"A", {1, 2, 3, 4}}, {"PIC0", picture(2, 1, 4, 60)}});
        setPayloadSize(bytes, second, size);
        EXPECT_EQ(read(dir.write("want.pak", bytes), "PIC0"), kPackOk) << size;
        ASSERT_EQ(texture.pixels.size(), 8u);
        EXPECT_EQ(texture.pixels[7], 67);
        EXPECT_EQ(takeLog(),
                  "READING::name: PIC0\nREADING::data name: A\nREADING::data size: 4\n"
                  "READING::data name: PIC0\nREADING::data size: " +
                      std::to_string(size) +
                      "\nREADING::width: 2\nREADING::height: 1\nREADING::depth: 4\n\n");
    }
}

TEST_F(PackFile, PixelsMayRunIntoTheNextEntryAsLongAsTheFileHoldsThem) {
    auto payload = picture(1, 1, 4);
    payload.resize(12);  // no pixels in this entry
    const auto path = dir.write("a.pak", pack({{"PIC0", payload}, {"NEXT", {9, 9, 9, 9}}}));
    EXPECT_EQ(read(path, "PIC0"), kPackOk);
    EXPECT_EQ(texture.pixels[0], 'N');
}

TEST_F(PackFile, ShortPixelsAreReportedAndTheRestIsZero) {
    auto payload = picture(2, 2, 4, 1);
    payload.resize(12 + 6);  // 6 of 16 pixel bytes, then the end of the file
    EXPECT_EQ(read(dir.write("short.pak", pack({{"PIC0", payload}})), "PIC0"), kPackShort);
    EXPECT_EQ(takeLog(),
              "READING::name: PIC0\nREADING::data name: PIC0\nREADING::data size: 18\n"
              "READING::width: 2\nREADING::height: 2\nREADING::depth: 4\n\n");
    ASSERT_EQ(texture.pixels.size(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(texture.pixels.get(), texture.pixels.get() + 16),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(PackFile, SizesNoBufferCanHoldLeaveTheRecordWithoutPixels) {
    // What a pack swapped while the show runs does to a picture read before.
    const auto good = dir.write("good.pak", pack({{"PIC0", picture(2, 1, 4)}}));
    for (auto sizes : {std::vector<int32_t>{16384, 16384, 4},  // over the memory budget
                       {16385, 1, 4},                          // over the largest side
                       {65536, 65536, 4},                      // overflows 32 bits
                       {-2, 1, 4},
                       {-2, -2, 4}}) {
        ASSERT_EQ(read(good, "PIC0"), kPackOk);
        std::vector<uint8_t> payload;
        for (int32_t v : sizes)
            putLe32(payload, static_cast<uint32_t>(v));
        payload.resize(payload.size() + 8, 0);
        EXPECT_EQ(read(dir.write("bad.pak", pack({{"PIC0", payload}})), "PIC0"), kPackShort)
            << sizes[0] << "x" << sizes[1] << "x" << sizes[2];
        EXPECT_EQ(texture.width, sizes[0]);
        EXPECT_EQ(texture.height, sizes[1]);
        EXPECT_EQ(texture.channels, sizes[2]);
        EXPECT_EQ(texture.pixels, nullptr);
        EXPECT_FALSE(texture.holds(4));
        EXPECT_NE(takeLog().find("READING::width: " + std::to_string(sizes[0]) + "\n"),
                  std::string::npos);
    }

    // An empty picture has no pixel bytes to read: all of them were read.
    ASSERT_EQ(read(good, "PIC0"), kPackOk);
    EXPECT_EQ(read(dir.write("empty.pak", pack({{"PIC0", picture(0, 5, 4)}})), "PIC0"), kPackOk);
    EXPECT_EQ(texture.pixels, nullptr);

    // Sizes cut off by the end of the file read as zero there, and the
    // entry can't be read in full: not "found and read".
    for (size_t sizeBytes : {0, 4, 11}) {
        auto cut = pack({{"PIC0", picture(2, 1, 4)}});
        cut.resize(pack::kHeaderBytes + pack::kEntryHeaderBytes + sizeBytes);
        ASSERT_EQ(read(good, "PIC0"), kPackOk);
        takeLog();
        EXPECT_EQ(read(dir.write("cut.pak", cut), "PIC0"), kPackShort) << sizeBytes;
        EXPECT_EQ(texture.width, sizeBytes >= 4 ? 2 : 0);
        EXPECT_EQ(texture.height, sizeBytes >= 8 ? 1 : 0);
        EXPECT_EQ(texture.pixels, nullptr);
        EXPECT_EQ(takeLog(),
                  "READING::name: PIC0\nREADING::data name: PIC0\nREADING::data size: 20\n"
                  "READING::width: " +
                      std::to_string(texture.width) +
                      "\nREADING::height: " + std::to_string(texture.height) +
                      "\nREADING::depth: " + std::to_string(texture.channels) + "\n\n");
    }
}

// A pack of one picture entry whose pixels are a hole: the file claims
// them all, and takes a few bytes on disk.
std::string sparsePack(const TempDir& dir, const std::string& name, int32_t w, int32_t h,
                       int32_t depth) {
    auto bytes = pack({{"PIC0", picture(0, 0, 0)}});
    const int64_t pixels = int64_t{w} * h * depth;
    setPayloadSize(bytes, pack::kHeaderBytes,
                   static_cast<int32_t>(std::min<int64_t>(12 + pixels, INT32_MAX)));
    for (int i = 0; i < 3; ++i)
        bytes.resize(bytes.size() - 4);
    for (int32_t v : {w, h, depth})
        putLe32(bytes, static_cast<uint32_t>(v));
    const std::string path = dir.write(name, bytes);
    std::filesystem::resize_file(path, bytes.size() + static_cast<uint64_t>(pixels));
    return path;
}

TEST_F(PackFile, PicturesOverTheLargestSideAreRefusedBeforeAnyAllocation) {
    pictureBudget().restart(64);
    EXPECT_EQ(read(dir.write("at.pak", pack({{"PIC0", picture(64, 1, 4)}})), "PIC0"), kPackOk);
    ASSERT_EQ(texture.pixels.size(), 256u);
    for (auto [w, h] : {std::pair{65, 1}, std::pair{1, 65}}) {
        takeLog();
        const auto path = dir.write("over.pak", pack({{"PIC0", picture(w, h, 4)}}));
        EXPECT_EQ(read(path, "PIC0"), kPackShort) << w << "x" << h;
        EXPECT_EQ(texture.width, w);
        EXPECT_EQ(texture.height, h);
        EXPECT_EQ(texture.channels, 4);
        EXPECT_EQ(texture.pixels, nullptr);
        EXPECT_EQ(takeLog(),
                  "READING::name: PIC0\nREADING::data name: PIC0\nREADING::data size: " +
                      std::to_string(12 + w * h * 4) + "\nREADING::width: " + std::to_string(w) +
                      "\nREADING::height: " + std::to_string(h) + "\nREADING::depth: 4\n\n");
    }
    EXPECT_EQ(pictureBudget().spent(), 256u);  // refusals cost nothing
}

TEST_F(PackFile, AllPicturesOfACycleShareOneTotalThatEachCycleStartsAfresh) {
    const auto path =
        dir.write("a.pak", pack({{"PIC0", picture(4, 4, 4)}, {"PIC1", picture(4, 2, 4, 9)}}));
    pictureBudget().restart(kDefaultLargestSide, 100);
    ASSERT_EQ(read(path, "PIC0"), kPackOk);  // 64 of 100 bytes
    EXPECT_EQ(pictureBudget().spent(), 64u);
    takeLog();
    // 64 more are over what is left; 32 are not.
    EXPECT_EQ(read(path, "PIC0"), kPackShort);
    EXPECT_EQ(texture.width, 4);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_NE(takeLog().find("READING::width: 4\nREADING::height: 4\nREADING::depth: 4\n\n"),
              std::string::npos);
    EXPECT_EQ(read(path, "PIC1"), kPackOk);
    EXPECT_EQ(pictureBudget().spent(), 96u);
    EXPECT_EQ(read(path, "PIC1"), kPackShort);

    // The next display cycle has the whole total again.
    pictureBudget().restart(kDefaultLargestSide, 100);
    EXPECT_EQ(read(path, "PIC0"), kPackOk);
    EXPECT_EQ(texture.pixels[0], 1);
}

TEST_F(PackFile, ASparsePackIsBoundByTheBudgetNotByItsLength) {
    // 1 GiB of pixels claimed, and held as far as the file's length goes:
    // refused at once, nothing allocated.
    const auto huge = sparsePack(dir, "huge.pak", 16384, 16384, 4);
    EXPECT_EQ(read(huge, "PIC0"), kPackShort);
    EXPECT_EQ(texture.width, 16384);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(pictureBudget().spent(), 0u);
    EXPECT_EQ(takeLog(),
              "READING::name: PIC0\nREADING::data name: PIC0\nREADING::data size: 1073741836\n"
              "READING::width: 16384\nREADING::height: 16384\nREADING::depth: 4\n\n");

    // Within the budget, a hole reads as the zeros it holds.
    const auto within = sparsePack(dir, "within.pak", 1024, 1024, 4);
    EXPECT_EQ(read(within, "PIC0"), kPackOk);
    ASSERT_EQ(texture.pixels.size(), 4u << 20);
    EXPECT_EQ(texture.pixels[(4u << 20) - 1], 0);
    EXPECT_EQ(pictureBudget().spent(), 4u << 20);
}

TEST_F(PackFile, PixelsCutShortWithinTheBudgetAreReadAndTheRestIsZero) {
    // Far more pixels than the file holds, within the budget: the buffer is
    // the picture's, what the file has is in it, the rest zero.
    auto payload = picture(1024, 1024, 4, 7);
    payload.resize(12 + 5);
    EXPECT_EQ(read(dir.write("cut.pak", pack({{"PIC0", payload}})), "PIC0"), kPackShort);
    ASSERT_EQ(texture.pixels.size(), 4u << 20);
    EXPECT_EQ(texture.pixels[4], 11);
    EXPECT_EQ(texture.pixels[5], 0);
    EXPECT_TRUE(texture.holds(4));
    EXPECT_EQ(pictureBudget().spent(), 4u << 20);
}

TEST_F(PackFile, NameWithoutTerminatorIsReadOnlyToTwentyBytes) {
    auto bytes = pack({{"PIC0", picture(1, 1, 4)}});
    std::memset(bytes.data() + pack::kHeaderBytes, 'Z', pack::kNameBytes);
    EXPECT_EQ(read(dir.write("a.pak", bytes), "PIC0"), kPackNoEntry);
    EXPECT_NE(log().find("READING::data name: ZZZZZZZZZZZZZZZZZZZZ\n"), std::string::npos);
}

TEST(LoadLogFile, FirstWriteTruncatesAndLaterWritesAppend) {
    TempDir dir;
    const std::string path = dir.write("log.txt", {'o', 'l', 'd'});
    LoadLog log;
    EXPECT_EQ(log.write("never %d\n", 1), 0);  // no path: nothing written
    log.setPath(path.c_str());
    EXPECT_EQ(log.write("first %d\n", 1), 0);
    EXPECT_EQ(log.write("second %s\n", "x"), 0);
    EXPECT_EQ(log.write(nullptr), 0);
    EXPECT_EQ(readText(path), "first 1\nsecond x\n");

    LoadLog unwritable;
    const std::string bad = dir.file("no/such/dir/log.txt");
    unwritable.setPath(bad.c_str());
    EXPECT_EQ(unwritable.write("x"), 0);
    EXPECT_EQ(unwritable.firstWrite, 1);  // still waiting for its first successful open
}

}  // namespace
}  // namespace tev
