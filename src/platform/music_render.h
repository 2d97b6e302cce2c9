#pragma once
// A song rendered offline, ahead of any clock, with exactly the live
// output's settings (44100 Hz stereo 16-bit, once through and stopping at
// the last row, no dither): the samples a listener hears at each moment of
// the show, for the capture tool to put beside the pictures.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tev::platform {

class MusicRender {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;

    // Null when the bytes are not a song the live output would play.
    static std::unique_ptr<MusicRender> create(const void* data, uint32_t size);
    ~MusicRender();
    MusicRender(const MusicRender&) = delete;
    MusicRender& operator=(const MusicRender&) = delete;

    // Appends the next `frames` stereo frames, interleaved left and right,
    // to `out`; silence once the song has ended.
    void render(size_t frames, std::vector<int16_t>& out);

    // Moves on by `frames` stereo frames without keeping them (rendered all
    // the same, so what follows is exactly what a listener would hear).
    void skip(size_t frames);

    // Stereo frames rendered or skipped so far.
    uint64_t position() const { return position_; }

    // The song's length in seconds as libopenmpt reckons it.
    double songSeconds() const;

  private:
    struct Song;
    explicit MusicRender(std::unique_ptr<Song> song);
    std::unique_ptr<Song> song_;
    uint64_t position_ = 0;
    bool ended_ = false;
};

}  // namespace tev::platform
