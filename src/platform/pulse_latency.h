#pragma once
// What a PulseAudio server says of the sound this process plays through it:
// how long a sample queued now takes to be heard (the server's buffer for
// our stream plus the latency of the sink it plays on). SDL's PulseAudio
// driver keeps its stream to itself, so this asks the server over a
// connection of its own, which it closes before returning.

#include <chrono>
#include <optional>

namespace tev::platform {

// How long a sample that this process has just queued takes to be heard, in
// seconds. The server's buffer for our stream drains and is topped up in
// steps, so a reading taken at a random moment lands anywhere on that saw;
// a sample queued right after a top-up waits the longest, the top of the
// saw. This is the highest of `samples` readings spread evenly over
// `spread`. Empty when no server answers, when this process plays no stream
// through it, or when `bound` passes first. Never starts a server.
std::optional<double> pulsePlaybackLatency(int samples, std::chrono::microseconds spread,
                                           std::chrono::milliseconds bound);

}  // namespace tev::platform
