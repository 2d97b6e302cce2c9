#pragma once
// What the fuzz targets share: the input as a real file, and a cap on the
// size of any one allocation while a reader works on it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/picture_budget.h"

namespace tev::fuzz {

// An in-memory file that holds the current input, reached by a path, so
// that the readers open, seek and read it as they would any file.
class InputFile {
  public:
    InputFile();
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Replaces the file's bytes.
    void set(const uint8_t* data, size_t size);
    const char* path() const { return path_.c_str(); }

  private:
    int fd_ = -1;
    std::string path_;
};

// While one lives, an allocation of more than `bytes` aborts the run, which
// libFuzzer reports as a finding with the input that caused it.
class AllocationCap {
  public:
    explicit AllocationCap(size_t bytes);
    ~AllocationCap();
    AllocationCap(const AllocationCap&) = delete;
    AllocationCap& operator=(const AllocationCap&) = delete;
};

// What the C library's stream takes for itself on top of what a reader
// allocates: the FILE record and its buffer.
constexpr size_t kStreamAllowance = 64 * 1024;

// The picture budget the readers get here: smaller than the show's, so
// that refusals are common and a run stays fast, and larger than any input.
constexpr int32_t kLargestSide = 1024;
constexpr size_t kPictureBytes = 512 * 1024;

// Starts a display cycle with that budget.
inline void startCycle() {
    pictureBudget().restart(kLargestSide, kPictureBytes);
}

}  // namespace tev::fuzz
