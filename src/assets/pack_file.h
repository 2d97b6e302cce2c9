#pragma once
// Reads pictures from the resource pack (layout in pack_format.h).
//
// Every step of a read is reported to the load log.

#include <cstdint>

#include "assets/pack_format.h"
#include "assets/texture.h"

namespace tev {

enum PackStatus : uint8_t {
    kPackOk = 0,
    kPackBadVersion = 1,  // not "PACK", or the version byte is not 1
    kPackCannotOpen = 3,  // missing, unreadable, or not a regular file
    kPackShort = 4,       // the header or the wanted pixels can't be read in full; a damaged entry
    kPackNoMemory = 6,
    kPackNoEntry = 7,
};

// Fills `texture`'s width, height, channels and pixels from the first entry
// named `entryName` (its name and GL texture are left alone). `entryName` is
// cut to 14 characters in place. A payload or picture that claims more than
// is left of the file, or a negative size, ends the read with kPackShort at
// once.
uint8_t readEntry(const char* packPath, char* entryName, Texture& texture);

// An append-mode text log, opened and closed around every message. The
// first write of a run truncates the file. With no path, nothing is written.
class LoadLog {
  public:
    LoadLog() = default;

    // printf-like; returns the result of closing the file (0 on success),
    // or 0 without writing when there is no format or the file can't be opened.
    int write(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void setPath(const char* path) { logPath = path; }

    const char* logPath = nullptr;  // not owned
    int32_t firstWrite = 1;
};

// The program's one load log (it has no path unless someone gives it one).
LoadLog& loadLog();

}  // namespace tev
