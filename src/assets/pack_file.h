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
    kPackShort = 4,       // the header or the wanted entry can't be read in full, or is refused
    kPackNoMemory = 6,
    kPackNoEntry = 7,
};

// Fills `texture`'s width, height, channels and pixels from the first entry
// named `entryName` (its name and GL texture are left alone). `entryName` is
// cut to 14 characters in place. An entry before it with a negative payload
// size ends the read with kPackShort; one whose payload runs past the end of
// the file ends the scan, with kPackNoEntry, as no entry follows it. The
// wanted entry's sizes cut off by the end of the file, or a picture over the
// memory budget (picture_budget.h), end the read with kPackShort, the sizes
// kept and no pixels; a picture whose pixels the file lacks is kPackShort
// too, the rest zero.
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
