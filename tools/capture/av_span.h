#pragma once
// Which frames a span of show time holds, and the audio that goes with
// them: frame k is drawn at k / fps seconds and shows until frame k + 1, and
// the audio up to frame k is round(k * 44100 / fps) stereo samples, so
// pictures and sound never drift apart, whatever the frame rate.

#include <cmath>
#include <cstdint>
#include <optional>

namespace tev::capture {

inline constexpr int kAudioRate = 44100;

inline uint64_t samplesUpToFrame(int64_t frame, int fps) {
    const uint64_t twice = static_cast<uint64_t>(frame) * kAudioRate * 2;
    return (twice + static_cast<uint64_t>(fps)) / (2 * static_cast<uint64_t>(fps));
}

struct Span {
    int64_t firstFrame = 0;  // the first frame kept
    int64_t endFrame = 0;    // one past the last
    uint64_t firstSample = 0;
    uint64_t endSample = 0;
};

// The frames drawn at times in [from, to); nothing when there are none.
inline std::optional<Span> spanOf(double from, double to, int fps) {
    constexpr double kSlack = 1e-9;  // times written in decimal land on their frame
    Span span;
    span.firstFrame = static_cast<int64_t>(std::ceil(from * fps - kSlack));
    span.endFrame = static_cast<int64_t>(std::ceil(to * fps - kSlack));
    if (span.endFrame <= span.firstFrame) return std::nullopt;
    span.firstSample = samplesUpToFrame(span.firstFrame, fps);
    span.endSample = samplesUpToFrame(span.endFrame, fps);
    return span;
}

}  // namespace tev::capture
