#pragma once
// What a PulseAudio server says of the sound this process plays through it:
// how long a sample queued now takes to be heard (the server's buffer for
// our stream plus the latency of the sink it plays on). SDL's PulseAudio
// driver keeps its stream to itself, so this asks the server over a
// connection of its own, which it closes before returning.

#include <chrono>
#include <functional>
#include <optional>

namespace tev::platform {

// How long a sample that this process has just queued takes to be heard, in
// seconds, when the server's figure is plausible (see plausibleLatency);
// else, where the server names it (PipeWire's does), the buffer it granted
// our stream. The server's buffer for our stream drains and is topped up in
// steps, so a reading taken at a random moment lands anywhere on that saw;
// a sample queued right after a top-up waits the longest, the top of the
// saw. This is the highest of `samples` readings spread evenly over
// `spread`. Empty when no server answers, when this process plays no stream
// through it, when `bound` passes first, or when neither figure is
// plausible. Never starts a server.
// `granted`, when given, says which of the two it is.
std::optional<double> pulsePlaybackLatency(int samples, std::chrono::microseconds spread,
                                           std::chrono::milliseconds bound,
                                           bool* granted = nullptr);

// Whether a latency a server reports can be true: above 0 (sound is never
// heard the moment it is queued; PipeWire's PulseAudio server reports 0 for
// every stream and sink) and at most a second (no output holds more; a
// larger figure is a fault of the server's accounting).
bool plausibleLatency(double seconds);

// What a connection to the PulseAudio server that libpulse would use (by
// PULSE_SERVER, the client config or the runtime folder) came to.
enum class PulseServer {
    Answers,    // the connection was made
    Absent,     // there is none to connect to (no socket, refused)
    Silent,     // it took the connection but did not answer within the bound
    Abandoned,  // the caller's keepWaiting said to stop first
};

// Connects to the server and closes the connection again, giving up after
// `bound` (a stopped server takes the connection and never answers). While
// it waits it calls `keepWaiting` (when set) about every 20 ms and stops
// waiting once it returns false. Never starts a server.
PulseServer probePulseServer(std::chrono::milliseconds bound,
                             const std::function<bool()>& keepWaiting);

}  // namespace tev::platform
