#pragma once
// Sound output: tracker modules decoded by libopenmpt and played through an
// SDL audio device (stereo, 16-bit, 44100 Hz). A song plays once and then
// falls silent. Main thread only; the device's callback runs on SDL's
// audio thread and touches nothing but the playing song and the note of when
// it first rendered from it, under SDL's lock. In a web page the output is a
// WebAudio context, which nothing here waits for: a context the browser
// does not start within a few seconds counts as no song playing.

#include <cstdint>
#include <functional>
#include <string>

namespace tev::platform {

// Names a loaded song, stream or sample; 0 names nothing.
using SoundHandle = uint32_t;

enum class SoundOpen {
    Opened,     // the device is open
    Failed,     // no device could be opened, or the sound server did not answer
    Abandoned,  // the caller's keepWaiting said to stop waiting for the server
};

// Opens the audio device. Before SDL may go through PulseAudio (or
// PipeWire's PulseAudio server), which waits on a server that has stopped
// for half a minute, this asks the server itself and waits no longer than
// kSoundServerBoundMs: a server that does not answer within it fails the
// opening. While it waits it calls `keepWaiting` (when set) about every
// 20 ms, and gives up once it returns false. Failed also when the driver
// named by SDL_AUDIODRIVER is unknown or has no device. Opening again while
// open keeps the device.
SoundOpen soundOpen(const std::function<bool()>& keepWaiting);
constexpr int kSoundServerBoundMs = 4000;

// Why the last soundOpen failed, in one line for the viewer (the sound
// server that did not answer, or SDL's reason with the one its ALSA driver
// gave); empty after an opening that did not fail. libasound's own error
// lines are not printed while the device opens: this line says what they do.
std::string soundOpenFailure();

// soundOpen without a caller to ask: true when the device is open.
bool soundInit();

// The latency the output asks PulseAudio for, in seconds: the server keeps
// about half of it queued ahead of the device, so that the audio thread can
// miss its turn for that long without a gap. PULSE_LATENCY_MSEC sets it as
// it does for every libpulse program.
double soundQueueSeconds();

// Loads a module from memory; the bytes are copied. 0 when the bytes are
// not a module libopenmpt can read, or are empty.
SoundHandle soundLoadSong(const void* data, uint32_t size);

// Starts a loaded song from its beginning, in place of any other. False for
// a handle that names no loaded song or when the device is not open. Returns
// once the device has taken the song's first samples (within one buffer of
// the device, or a bound when the output is stuck), so that the moment it is
// heard is known.
bool soundPlaySong(SoundHandle song);

// Seconds from now until the first sample of the song soundPlaySong last
// started is heard: the output's latency (PulseAudio's own figure for our
// stream when SDL plays through it and the figure is plausible, else the
// buffer the server granted the stream or the queue asked of it, one buffer
// of the device with another driver) counted from when the device took it. Negative once it has
// been heard; 0 when no song was started since the output opened.
double soundSongHeardIn();

// True while the song is the one playing and has not reached its end.
bool soundSongPlaying(SoundHandle song);

// This layer loads no streams or samples, so no handle names one: these
// play nothing and return -1, the "no channel" result.
int soundPlayStream(int channel, SoundHandle stream);
int soundPlaySample(int channel, SoundHandle sample);

// Stops and closes the device and frees every loaded song. Safe to call
// when nothing is open.
void soundClose();

}  // namespace tev::platform
