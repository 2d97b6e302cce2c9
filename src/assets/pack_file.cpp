#include "assets/pack_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "assets/picture_budget.h"
#include "portable/little_endian.h"
#include "portable/regular_file.h"

namespace tev {

namespace {

constexpr size_t kLogBufferBytes = 8000;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

int32_t readSigned32(const uint8_t* p) {
    return static_cast<int32_t>(readLe32(p));
}

}  // namespace

LoadLog& loadLog() {
    static LoadLog log;
    return log;
}

int LoadLog::write(const char* format, ...) {
    if (format == nullptr || logPath == nullptr) return 0;
    FILE* file = std::fopen(logPath, firstWrite != 0 ? "w" : "a");
    if (file == nullptr) return 0;
    firstWrite = 0;
    char message[kLogBufferBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    std::fputs(message, file);
    return std::fclose(file);
}

namespace {

// The wanted entry: its own width, height and depth, then that many pixel
// bytes, whatever its payload size says. The picture must fit the memory
// budget, not the file: pixels a cut-short or sparse file lacks read as zero.
uint8_t readPicture(FILE* file, Texture& texture) {
    LoadLog& log = loadLog();
    uint8_t sizes[pack::kPictureHeaderBytes] = {};  // size bytes the file lacks read as zero
    const size_t sizeBytes = std::fread(sizes, 1, sizeof sizes, file);
    texture.setSize(readSigned32(sizes), readSigned32(sizes + 4), readSigned32(sizes + 8));
    log.write("READING::width: %d\n", texture.width);
    log.write("READING::height: %d\n", texture.height);
    log.write("READING::depth: %d\n\n", texture.channels);
    // Sizes cut off by the end of the file are not the picture's.
    if (sizeBytes != sizeof sizes) {
        texture.releasePixels();
        return kPackShort;
    }

    const size_t bytes = texture.byteCount();
    const int32_t w = texture.width, h = texture.height, d = texture.channels;
    if (w >= 0 && h >= 0 && d >= 0 && (w == 0 || h == 0 || d == 0)) {
        texture.releasePixels();  // no pixel bytes to read: all of them were read
        return kPackOk;
    }
    // Negative, overflowing, or more than the show lets a picture take.
    PictureBudget& budget = pictureBudget();
    if (bytes == 0 || !budget.fits(w, h, bytes)) {
        texture.releasePixels();
        return kPackShort;
    }
    if (!texture.pixels.allocate(bytes)) return kPackNoMemory;
    budget.spend(bytes);
    const size_t got = std::fread(texture.pixels.get(), 1, bytes, file);
    std::memset(texture.pixels.get() + got, 0, bytes - got);
    return got == bytes ? kPackOk : kPackShort;
}

}  // namespace

uint8_t readEntry(const char* packPath, char* entryName, Texture& texture) {
    LoadLog& log = loadLog();
    // Read only: an installed, read-only pack must be readable too. Anything
    // but a regular file (a FIFO would block for ever) can't be opened.
    File file(entryName ? openRegularFile(packPath) : nullptr);
    if (!file) return kPackCannotOpen;

    uint8_t header[pack::kHeaderBytes];
    uint8_t status = kPackOk;
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) {
        status = kPackShort;
    } else if (std::memcmp(header, pack::kMagic, 4) != 0 || header[4] != pack::kVersion) {
        status = kPackBadVersion;
    }
    if (status != kPackOk) {
        file.reset();
        log.write("*** Error! Wrong pack version, %d\n", status);
        return status;
    }

    if (std::strlen(entryName) > pack::kMaxNameLength) entryName[pack::kMaxNameLength] = '\0';
    log.write("READING::name: %s\n", entryName);

    // Where the scan stands, counted here so that no entry costs a seek to
    // the end of the file and back.
    const long long size = fileSize(file.get());
    long long position = pack::kHeaderBytes;
    uint8_t entry[pack::kEntryHeaderBytes];
    while (std::fread(entry, 1, sizeof entry, file.get()) == sizeof entry) {
        position += pack::kEntryHeaderBytes;
        char name[pack::kNameBytes + 1] = {};  // a name without its NUL stops at 20 bytes
        std::memcpy(name, entry, pack::kNameBytes);
        const int32_t payloadSize = readSigned32(entry + pack::kNameBytes);
        log.write("READING::data name: %s\n", name);
        log.write("READING::data size: %d\n", payloadSize);
        if (std::strcmp(name, entryName) == 0) return readPicture(file.get(), texture);
        // A negative size would seek backwards for ever. A payload that runs
        // past the end leaves no next entry to read: the scan is over.
        if (payloadSize < 0) return kPackShort;
        if (payloadSize > size - position) break;
        std::fseek(file.get(), payloadSize, SEEK_CUR);
        position += payloadSize;
    }
    file.reset();
    log.write("READING DONE!\n\n");
    return kPackNoEntry;
}

}  // namespace tev
