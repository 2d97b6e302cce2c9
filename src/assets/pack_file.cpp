#include "assets/pack_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/regular_file.h"

namespace tev {

namespace {

constexpr size_t kLogBufferBytes = 8000;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

int32_t readLe32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

// Bytes from the current position to the end of the file.
int64_t bytesLeft(FILE* file) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end - here;
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

uint8_t readEntry(const char* packPath, char* entryName, Texture& texture) {
    LoadLog& log = loadLog();
    // Read only: an installed, read-only pack must be readable too. Anything
    // but a regular file (a FIFO would block for ever) can't be opened.
    File file(entryName ? platform::openRegularFile(packPath) : nullptr);
    if (!file) return kPackCannotOpen;

    uint8_t header[kPackHeaderBytes];
    uint8_t status = kPackOk;
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) {
        status = kPackShort;
    } else if (std::memcmp(header, "PACK", 4) != 0 || header[4] != 1) {
        status = kPackBadVersion;
    }
    if (status != kPackOk) {
        file.reset();
        log.write("*** Error! Wrong pack version, %d\n", status);
        return status;
    }

    if (std::strlen(entryName) > kPackLookupNameLength) entryName[kPackLookupNameLength] = '\0';
    log.write("READING::name: %s\n", entryName);

    uint8_t entry[kPackEntryHeaderBytes];
    while (std::fread(entry, 1, sizeof entry, file.get()) == sizeof entry) {
        char name[kPackNameBytes + 1] = {};  // a name without its NUL stops at 20 bytes
        std::memcpy(name, entry, kPackNameBytes);
        const int32_t payloadSize = readLe32(entry + kPackNameBytes);
        log.write("READING::data name: %s\n", name);
        log.write("READING::data size: %d\n", payloadSize);
        // A negative size would seek backwards for ever; a larger one than
        // is left means the pack was cut short.
        if (payloadSize < 0 || payloadSize > bytesLeft(file.get())) return kPackShort;
        if (std::strcmp(name, entryName) != 0) {
            std::fseek(file.get(), payloadSize, SEEK_CUR);
            continue;
        }

        uint8_t sizes[12];
        if (std::fread(sizes, 1, sizeof sizes, file.get()) != sizeof sizes) return kPackShort;
        texture.width = readLe32(sizes);
        texture.height = readLe32(sizes + 4);
        texture.channels = readLe32(sizes + 8);
        log.write("READING::width: %d\n", texture.width);
        log.write("READING::height: %d\n", texture.height);
        log.write("READING::depth: %d\n\n", texture.channels);

        const size_t bytes = texture.byteCount();
        const int64_t left = bytesLeft(file.get());
        if (bytes == 0 || left < 0 || bytes > static_cast<uint64_t>(left)) return kPackShort;
        texture.pixels.reset(new (std::nothrow) uint8_t[bytes]);
        if (!texture.pixels) return kPackNoMemory;
        return std::fread(texture.pixels.get(), 1, bytes, file.get()) == bytes ? kPackOk
                                                                               : kPackShort;
    }
    file.reset();
    log.write("READING DONE!\n\n");
    return kPackNoEntry;
}

}  // namespace tev
