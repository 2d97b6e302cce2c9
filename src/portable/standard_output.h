#pragma once
// The end of what a program printed on standard output, for --help and
// --version: a write that failed (a full disk, a closed descriptor) is
// not reported as success. Header only, so that every program, the
// build-time generators too, can use it without linking anything.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tev {

// The exit status of a program whose output could not be written.
constexpr int kExitWriteFailed = 1;

// Flushes standard output. True when everything printed so far reached it;
// otherwise says so on standard error, after the program's name.
inline bool standardOutputWritten(const char* program) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && std::ferror(stdout) == 0) return true;
    if (error != 0) {
        std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                     std::strerror(error));
    } else {
        std::fprintf(stderr, "%s: cannot write to standard output\n", program);
    }
    return false;
}

// The status for a program that printed its help or version and ends.
inline int endOfPrinting(const char* program) {
    return standardOutputWritten(program) ? 0 : kExitWriteFailed;
}

// For a program whose help a library prints before ending the process
// itself: standard output is checked at exit, and a failed write there
// ends the process with kExitWriteFailed. Returns true, so that a static
// initialiser can call it.
inline const char* programCheckedAtExit = "";
inline bool checkStandardOutputAtExit(const char* program) {
    programCheckedAtExit = program;
    std::atexit([] {
        if (!standardOutputWritten(programCheckedAtExit)) std::_Exit(kExitWriteFailed);
    });
    return true;
}

}  // namespace tev
