#pragma once
// The part of the Impulse Tracker format the composer writes: sample mode,
// uncompressed mono PCM, packed patterns. The reader parses the same subset
// back, strictly, so the composer can check the bytes it is about to write.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace compose {

constexpr int kMaxChannels = 64;
constexpr int16_t kNoNote = -1;
constexpr int16_t kNoteCut = 254;
constexpr int16_t kNoteOff = 255;
constexpr int16_t kNoVolume = -1;

// Effect numbers: the letter's position in the alphabet.
enum Effect : uint8_t {
    kEffectNone = 0,
    kSetSpeed = 1,      // A
    kPatternBreak = 3,  // C
    kVolumeSlide = 4,   // D
    kPitchDown = 5,     // E
    kPitchUp = 6,       // F
    kVibrato = 8,       // H
    kExtended = 19,     // S (SCx cuts after x ticks)
    kSetTempo = 20,     // T
};

struct Cell {
    int16_t note = kNoNote;      // 0..119, kNoteCut or kNoteOff
    uint8_t sample = 0;          // 1-based; 0 = none
    int16_t volume = kNoVolume;  // volume-column byte
    uint8_t effect = kEffectNone;
    uint8_t param = 0;

    bool empty() const {
        return note == kNoNote && sample == 0 && volume == kNoVolume && effect == kEffectNone;
    }
    bool operator==(const Cell&) const = default;
};

struct Pattern {
    int rows = 0;
    int channels = 0;
    std::vector<Cell> cells;  // row-major, rows x channels

    Pattern() = default;
    Pattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount), cells(size_t(rowCount) * channelCount) {}
    Cell& at(int row, int channel) { return cells[size_t(row) * channels + channel]; }
    const Cell& at(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
    bool operator==(const Pattern&) const = default;
};

struct Sample {
    std::string name;
    bool sixteenBit = true;
    std::vector<int16_t> frames;  // 8-bit samples hold -128..127
    bool looped = false;
    uint32_t loopBegin = 0;
    uint32_t loopEnd = 0;  // exclusive
    uint32_t c5Speed = 8363;
    uint8_t defaultVolume = 64;
    uint8_t globalVolume = 64;
    bool operator==(const Sample&) const = default;
};

struct Module {
    std::string name;
    uint8_t initialSpeed = 6;
    uint8_t initialTempo = 125;
    uint8_t globalVolume = 128;
    uint8_t mixVolume = 48;
    std::vector<uint8_t> channelPan;  // 0..64, one per used channel
    std::vector<uint8_t> orders;      // pattern indices, without the final 255
    std::vector<Pattern> patterns;
    std::vector<Sample> samples;
    bool operator==(const Module&) const = default;
};

// Packs one pattern's cells with the per-channel memory of the format.
std::vector<uint8_t> packPattern(const Pattern& pattern);

// Unpacks packed data that must hold exactly `rows` rows in exactly `size`
// bytes, on channels below `channels`. False with a reason otherwise.
bool unpackPattern(const uint8_t* data, size_t size, int rows, int channels, Pattern& out,
                   std::string& error);

std::vector<uint8_t> writeModule(const Module& module);

// Parses a file in the subset above. False with a reason on anything
// unexpected: a bad magic, an offset or length outside the file, an order
// without its pattern, a pattern that does not decode to its length.
bool readModule(const std::vector<uint8_t>& bytes, int channels, Module& out, std::string& error);

}  // namespace compose
