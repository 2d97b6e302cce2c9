#pragma once
// What the show lets its pictures take, whatever their files claim.
//
// A picture's header names its size, and a sparse or cut-short file names
// gigabytes while taking a few kilobytes on disk. So the readers (pack and
// TGA) do not bound a picture by its file but by what the show can use: no
// side longer than the GL implementation's largest texture side, and all
// pictures read in one display cycle together within kPictureBudgetBytes.
// A picture over either is refused before anything is allocated; one within
// both is read in full, with what its file lacks left zero.
//
// The budget counts the pixel buffers the readers keep. The show's own
// pictures take 4.6 MiB (17 pack pictures of 256 x 256 x 4, five 128 x 128
// sprites as RGBA), so 64 MiB leaves users room for their own. The upload
// adds GLU's copies and the texture with its mipmaps: pictures that fill
// the budget raised the show's peak by about 3.2 times the budget (203 MiB
// on llvmpipe), which a hostile file can't exceed.

#include <cstddef>
#include <cstdint>

namespace tev {

inline constexpr size_t kPictureBudgetBytes = size_t{64} << 20;
// The largest side until a GL context says otherwise (tests and fuzzers run
// the readers without one): what Mesa's llvmpipe offers.
inline constexpr int32_t kDefaultLargestSide = 16384;

class PictureBudget {
  public:
    // A new display cycle: nothing spent yet.
    void restart(int32_t largestSide = kDefaultLargestSide,
                 size_t totalBytes = kPictureBudgetBytes);

    // Whether a width x height picture of `bytes` fits what is left.
    bool fits(int64_t width, int64_t height, size_t bytes) const;
    // Counts `bytes` as spent (a picture that fitted and was allocated).
    void spend(size_t bytes) { spent_ += bytes; }

    int32_t largestSide() const { return largestSide_; }
    size_t total() const { return total_; }
    size_t spent() const { return spent_; }

  private:
    int32_t largestSide_ = kDefaultLargestSide;
    size_t total_ = kPictureBudgetBytes;
    size_t spent_ = 0;
};

// The program's one budget, shared by both readers.
PictureBudget& pictureBudget();

// Restarts the budget for a display cycle with the largest texture side of
// the GL context that is current (the default when it gives none).
void startPictureCycle();

}  // namespace tev
