#pragma once
// A song written row by row on one long grid, then cut into patterns.

#include <string>
#include <string_view>
#include <vector>

#include "it_format.h"

namespace compose {

// The song's time grid: tempo 150 with speeds 8 and 7 on alternate rows
// gives 4 rows per beat at 120 beats per minute, every even row on an exact
// 1/4 s (drift-free at 44.1 and 48 kHz), and 16th notes with a slight swing.
constexpr int kTempo = 150;
constexpr int kEvenRowSpeed = 8;
constexpr int kOddRowSpeed = 7;
constexpr int kRowsPerBeat = 4;
constexpr int kRowsPerBar = 16;
constexpr int kRowsPerSecond = 8;

// Channels, in pattern order.
enum Channel : int {
    kEvenSpeed,  // speed for even rows
    kOddSpeed,   // speed for odd rows
    kFlow,       // pattern breaks
    kKickCh,
    kSnareCh,
    kHatCh,
    kOpenHatCh,
    kCrashCh,
    kFxCh,
    kBassCh,
    kLeadCh,
    kEchoCh,
    kHarmonyCh,
    kPad1Ch,
    kPad2Ch,
    kPad3Ch,
    kArpCh,
    kChannelCount,
};

// A note of a melody: its row, its pitch (MIDI numbering, A4 = 69, which
// is also the format's note number) and its length in rows.
struct MelodyNote {
    int row;
    int pitch;
    int length;
};

// Parses a pitch such as "A4", "C#5" or "Bb3".
int pitch(std::string_view name);

// Parses a melody such as "E5:3 E5:3 D5:2 -:4" (a dash rests) from `row` on.
std::vector<MelodyNote> melody(int row, std::string_view text);

class Score {
  public:
    explicit Score(int rows);

    int rows() const { return rows_; }

    // A note held for `length` rows and then cut, unless the channel has
    // another note by then. A length of 0 lets a one-shot sound ring out.
    void note(int channel, int row, int pitchNumber, int sample, int volume, int length);
    void cut(int channel, int row);
    void volume(int channel, int row, int volume);
    void effect(int channel, int row, Effect effect, uint8_t param);

    // Sets the volume on each row of [from, to) where the line from v0 to
    // v1 changes value, unless the row already sets one.
    void fade(int channel, int from, int to, int v0, int v1);

    // Places the cuts that end held notes; call once when the song is written.
    void finish();

    const Cell& at(int row, int channel) const;

  private:
    Cell& cell(int row, int channel);
    struct Held {
        int start;
        int end;
    };
    int rows_;
    std::vector<Cell> cells_;
    std::vector<std::vector<Held>> held_;
    std::vector<std::vector<int>> starts_;
};

}  // namespace compose
