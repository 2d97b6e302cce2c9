#include "song.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include "instruments.h"
#include "score.h"

namespace compose {
namespace {

// Section starts in rows (8 rows a second), where the show changes.
constexpr int kIntroRow = 0;         // the fade-in from black
constexpr int kPulseRow = 80;        // 10 s: the fade is complete
constexpr int kBeatRow = 108;        // 13.5 s: the cube rows
constexpr int kThemeRow = 160;       // 20 s: the words
constexpr int kBreakRow = 320;       // 40 s: the fog text
constexpr int kBuildRow = 360;       // 45 s: the ring
constexpr int kDropRow = 368;        // 46 s: the first lit scene
constexpr int kBridgeRow = 608;      // 76 s: the second lit scene
constexpr int kRiseRow = 800;        // 100 s: the pictures
constexpr int kFinaleRow = 876;      // 109.5 s: the white flash
constexpr int kLastChordRow = 1024;  // 128 s
constexpr int kEndRow = 1044;        // 130.5 s

// The shortest pattern we write; shorter sections break out of a longer one.
constexpr int kMinPatternRows = 32;

struct Chord {
    int bass;                    // root in the bass register
    std::array<int, 3> voicing;  // the pad's three voices

    bool contains(int note) const {
        for (int v : voicing) {
            if (((note - v) % 12 + 12) % 12 == 0) return true;
        }
        return false;
    }
};

const Chord kAm{33, {57, 60, 64}};
const Chord kF{29, {57, 60, 65}};
const Chord kC{36, {55, 60, 64}};
const Chord kG{31, {55, 59, 62}};
const Chord kDm{38, {57, 62, 65}};
const Chord kE{28, {56, 59, 64}};
const Chord kEsus4{28, {57, 59, 64}};
const Chord kEm{28, {55, 59, 64}};

struct Change {
    int row;
    const Chord* chord;
};

// The harmony: A minor, with E major as its dominant. Sections begin after
// E on F (a deceptive turn) and only the flash and the end resolve to A.
// clang-format off
const std::vector<Change> kChanges = {
    {0, &kAm}, {32, &kF}, {64, &kG},                                        // fade-in
    {80, &kAm}, {96, &kF}, {104, &kG},                                      // pulse
    {112, &kAm}, {128, &kF}, {144, &kG},                                    // beat
    {160, &kAm}, {176, &kF}, {192, &kC}, {208, &kG},                        // theme
    {224, &kAm}, {240, &kF}, {256, &kC}, {272, &kG}, {288, &kDm}, {304, &kE},
    {320, &kF}, {336, &kG}, {352, &kEsus4}, {360, &kE},                     // break, build
    {368, &kAm}, {384, &kF}, {400, &kC}, {416, &kG},                        // drop
    {432, &kAm}, {448, &kF}, {464, &kDm}, {480, &kE},
    {496, &kAm}, {512, &kF}, {528, &kC}, {544, &kG}, {560, &kF}, {576, &kG}, {592, &kE},
    {608, &kF}, {624, &kG}, {640, &kEm}, {656, &kAm},                       // bridge
    {672, &kDm}, {688, &kG}, {704, &kC}, {720, &kE},
    {736, &kF}, {752, &kG}, {768, &kEsus4}, {784, &kE},
    {800, &kF}, {816, &kG}, {832, &kAm}, {848, &kF}, {864, &kE},            // rise
    {876, &kAm}, {896, &kF}, {912, &kC}, {928, &kG},                        // finale
    {944, &kAm}, {960, &kF}, {976, &kC}, {992, &kG}, {1008, &kDm}, {1016, &kE},
    {1024, &kAm},                                                           // last chord
};
// clang-format on

const Chord& chordAt(int row) {
    const Chord* chord = kChanges.front().chord;
    for (const Change& c : kChanges) {
        if (c.row > row) break;
        chord = c.chord;
    }
    return *chord;
}

int nextChange(int row) {
    for (const Change& c : kChanges) {
        if (c.row > row) return c.row;
    }
    return kEndRow;
}

// Calls f(start, end, chord) for each stretch of one chord within [from, to).
template <typename F>
void forEachChord(int from, int to, F f) {
    for (int row = from; row < to;) {
        const int end = std::min(to, nextChange(row));
        f(row, end, chordAt(row));
        row = end;
    }
}

// One bar of a bass line: where each note starts, its interval above the
// root, its length and its accent.
struct BassNote {
    int offset;
    int interval;
    int length;
    double accent;
};
using BassLine = std::vector<BassNote>;

const BassLine kLongBass = {{0, 0, 16, 1.0}};
const BassLine kPulseBass = {{0, 0, 2, 1.0}, {2, 0, 2, 0.7},  {4, 0, 2, 0.9},  {6, 0, 2, 0.7},
                             {8, 0, 2, 1.0}, {10, 0, 2, 0.7}, {12, 0, 2, 0.9}, {14, 0, 2, 0.7}};
const BassLine kTresilloBass = {{0, 0, 3, 1.0},  {3, 0, 3, 0.8},  {6, 12, 2, 0.85},
                                {8, 0, 3, 0.95}, {11, 0, 3, 0.8}, {14, 12, 2, 0.85}};
const BassLine kRollingBass = {
    {0, 0, 1, 1.0},   {1, 0, 1, 0.6},   {2, 12, 1, 0.8},  {3, 0, 1, 0.6},
    {4, 0, 1, 0.95},  {5, 12, 1, 0.7},  {6, 0, 1, 0.8},   {7, 0, 1, 0.6},
    {8, 0, 1, 1.0},   {9, 0, 1, 0.6},   {10, 12, 1, 0.8}, {11, 0, 1, 0.6},
    {12, 0, 1, 0.95}, {13, 12, 1, 0.7}, {14, 0, 1, 0.8},  {15, 12, 1, 0.7}};
const BassLine kHalfTimeBass = {
    {0, 0, 6, 1.0}, {6, 0, 2, 0.7}, {10, 7, 4, 0.85}, {14, 12, 2, 0.75}};

// The order in which the arpeggio walks up and down its four tones.
constexpr int kArpWalk[16] = {0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 2, 3, 1, 2};

// Volumes for the letters of a drum line: X loud, x medium, o soft.
struct Levels {
    int loud, medium, soft;
};

class Arranger {
  public:
    Score score{kEndRow};

    // Three voices on the chords of [from, to), fading from v0 to v1. A tone
    // that two chords share is held on, not struck again.
    void pads(int from, int to, int v0, int v1) {
        auto level = [&](int row) {
            return int(std::lround(v0 + (v1 - v0) * double(row - from) / double(to - from)));
        };
        for (int voice = 0; voice < 3; ++voice) {
            std::vector<std::pair<int, int>> runs;  // start row, pitch
            forEachChord(from, to, [&](int start, int, const Chord& chord) {
                const int tone = chord.voicing[size_t(voice)];
                if (runs.empty() || runs.back().second != tone) runs.emplace_back(start, tone);
            });
            const int ch = kPad1Ch + voice;
            for (size_t i = 0; i < runs.size(); ++i) {
                const int start = runs[i].first;
                const int end = i + 1 < runs.size() ? runs[i + 1].first : to;
                score.note(ch, start, runs[i].second, kPad, level(start), end - start);
                score.fade(ch, start, end, level(start), level(end - 1));
            }
        }
    }

    void bass(int from, int to, const BassLine& line, int volume) {
        forEachChord(from, to, [&](int start, int end, const Chord& chord) {
            for (int row = start; row < end; ++row) {
                const BassNote* hit = nullptr;
                for (const BassNote& n : line) {
                    if (n.offset == row % kRowsPerBar) hit = &n;
                }
                if (hit == nullptr && row == start) {
                    // A chord change between the line's notes still moves the bass.
                    int length = 1;
                    while (row + length < end && !startsAt(line, row + length)) {
                        ++length;
                    }
                    score.note(kBassCh, row, chord.bass, kBass, volume, length);
                    continue;
                }
                if (hit == nullptr) continue;
                score.note(kBassCh, row, chord.bass + hit->interval, kBass,
                           int(std::lround(volume * hit->accent)),
                           std::min(hit->length, end - row));
            }
        });
    }

    void drums(int channel, int sample, int note, int from, int to, std::string_view line,
               Levels levels) {
        if (line.size() != kRowsPerBar) throw std::logic_error("drum line is not one bar");
        for (int row = from; row < to; ++row) {
            const char c = line[size_t(row % kRowsPerBar)];
            if (c == '.') continue;
            const int volume = c == 'X' ? levels.loud : c == 'x' ? levels.medium : levels.soft;
            score.note(channel, row, note, sample, volume, 0);
        }
    }

    // A fill, one letter a row: S snare, H M L toms high to low, . rest;
    // the volume rises from v0 to v1.
    void fill(int row, std::string_view text, int v0, int v1) {
        for (size_t i = 0; i < text.size(); ++i) {
            const int volume = v0 + int(std::lround((v1 - v0) * double(i) /
                                                    double(std::max<size_t>(1, text.size() - 1))));
            const int r = row + int(i);
            switch (text[i]) {
                case 'S':
                    score.note(kSnareCh, r, 60, kSnare, volume, 0);
                    break;
                case 'H':
                    score.note(kSnareCh, r, 72, kKick, volume, 0);
                    break;
                case 'M':
                    score.note(kSnareCh, r, 67, kKick, volume, 0);
                    break;
                case 'L':
                    score.note(kSnareCh, r, 62, kKick, volume, 0);
                    break;
                default:
                    break;
            }
        }
    }

    void crash(int row, int volume) { score.note(kCrashCh, row, 60, kCrash, volume, 0); }

    void arp(int from, int to, int step, int volume, int octave) {
        for (int row = from; row < to; row += step) {
            const Chord& chord = chordAt(row);
            std::array<int, 4> tones{};
            std::copy(chord.voicing.begin(), chord.voicing.end(), tones.begin());
            std::sort(tones.begin(), tones.begin() + 3);
            tones[3] = tones[0] + 12;
            const int tone = tones[size_t(kArpWalk[(row / step) % 16])] + 12 * octave;
            const bool onBeat = row % kRowsPerBeat == 0;
            score.note(kArpCh, row, tone, kPluck, onBeat ? volume : volume * 3 / 4,
                       std::min(step, to - row));
        }
    }

    struct LeadVoice {
        int volume;
        bool echo;
        bool harmony;
    };

    // The lead; its echo, a dotted eighth later and softer on the other side,
    // and a harmony on the chord tone below each note. Nothing of it passes
    // `sectionEnd`.
    void lead(int row, std::string_view text, LeadVoice voice, int sectionEnd) {
        for (const MelodyNote& n : melody(row, text)) {
            if (n.row + n.length > sectionEnd) throw std::logic_error("lead crosses a section");
            score.note(kLeadCh, n.row, n.pitch, kLead, voice.volume, n.length);
            if (n.length >= 6) {
                for (int r = n.row + 3; r < n.row + n.length; ++r) {
                    score.effect(kLeadCh, r, kVibrato, 0x34);
                }
            }
            if (voice.harmony) {
                score.note(kHarmonyCh, n.row, toneBelow(n.pitch, chordAt(n.row)), kLead,
                           voice.volume * 11 / 20, n.length);
            }
            const int echoRow = n.row + 3;
            if (voice.echo && echoRow < sectionEnd) {
                score.note(kEchoCh, echoRow, n.pitch, kLead, voice.volume * 2 / 5,
                           std::min(n.length, sectionEnd - echoRow));
            }
        }
    }

    // Noise with its pitch sliding up and its volume rising, cut at `to`.
    void riser(int from, int to, int note, int v0, int v1, uint8_t slide) {
        score.note(kFxCh, from, note, kNoise, v0, to - from);
        score.fade(kFxCh, from, to, v0, v1);
        for (int row = from; row < to; ++row) {
            score.effect(kFxCh, row, kPitchUp, slide);
        }
    }

    // Dark noise, held and faded, for wind.
    void wind(int from, int to, int v0, int v1) {
        score.note(kFxCh, from, pitch("G3"), kNoise, v0, to - from);
        score.fade(kFxCh, from, to, v0, v1);
    }

  private:
    static bool startsAt(const BassLine& line, int row) {
        for (const BassNote& n : line) {
            if (n.offset == row % kRowsPerBar) return true;
        }
        return false;
    }

    // The highest tone of the chord at least a minor third below `note`.
    static int toneBelow(int note, const Chord& chord) {
        for (int p = note - 3; p > note - 15; --p) {
            if (chord.contains(p)) return p;
        }
        return note - 12;
    }
};

// Drum lines, one bar each.
constexpr std::string_view kFourKick = "X...X...X...X...";
constexpr std::string_view kBackbeat = "....X.......X...";
constexpr std::string_view kOffbeatHats = "..x...x...x...x.";
constexpr std::string_view kSixteenthHats = "o.x.o.xoo.x.o.xo";
constexpr std::string_view kBusyHats = "oxXxoxXxoxXxoxXx";
constexpr std::string_view kOpenHats = "..x...x...x...x.";
constexpr std::string_view kHalfKick = "X.........X.....";
constexpr std::string_view kHalfSnare = "........X.......";
constexpr std::string_view kEighthHats = "x.o.x.o.x.o.x.o.";
constexpr std::string_view kEighthSnare = "x.x.x.x.x.x.x.x.";

constexpr Levels kKickLevels{56, 46, 36};
constexpr Levels kSnareLevels{62, 50, 38};
constexpr Levels kHatLevels{40, 30, 20};
constexpr Levels kOpenHatLevels{16, 14, 10};

void writeIntro(Arranger& a) {
    // Pads and wind rise out of the black.
    a.pads(kIntroRow, kPulseRow, 12, 34);
    a.wind(kIntroRow, kPulseRow, 2, 16);
    a.arp(48, kPulseRow, 2, 16, 0);
    a.bass(64, kPulseRow, kLongBass, 28);
}

void writePulse(Arranger& a) {
    a.pads(kPulseRow, kBeatRow, 34, 24);
    a.wind(kPulseRow, kBeatRow, 16, 0);
    a.arp(kPulseRow, kBeatRow, 1, 30, 0);
    a.bass(kPulseRow, kBeatRow, kLongBass, 36);
    a.drums(kHatCh, kHat, 60, 96, kBeatRow, kOffbeatHats, {16, 14, 10});
}

void writeBeat(Arranger& a) {
    const int downbeat = kBeatRow + 4;  // 14 s, the bar after the pickup
    a.fill(kBeatRow, "SSSS", 18, 44);
    a.pads(kBeatRow, kThemeRow, 18, 18);
    a.arp(kBeatRow, kThemeRow, 1, 30, 0);
    a.bass(kBeatRow, downbeat, kLongBass, 36);
    a.bass(downbeat, kThemeRow, kPulseBass, 42);
    a.crash(downbeat, 34);
    a.drums(kKickCh, kKick, 60, downbeat, kThemeRow, kFourKick, kKickLevels);
    a.drums(kHatCh, kHat, 60, downbeat, kThemeRow, kSixteenthHats, kHatLevels);
    a.fill(kThemeRow - 4, "S.SS", 30, 42);
}

void writeTheme(Arranger& a) {
    const int half = kThemeRow + 4 * kRowsPerBar;
    const int tail = kThemeRow + 8 * kRowsPerBar;
    a.crash(kThemeRow, 40);
    a.pads(kThemeRow, kBreakRow, 13, 13);
    a.bass(kThemeRow, kBreakRow, kTresilloBass, 44);
    a.drums(kKickCh, kKick, 60, kThemeRow, kBreakRow - 4, kFourKick, kKickLevels);
    a.drums(kSnareCh, kSnare, 60, kThemeRow, kBreakRow - 4, kBackbeat, kSnareLevels);
    a.drums(kHatCh, kHat, 60, kThemeRow, kBreakRow, kSixteenthHats, kHatLevels);
    a.drums(kOpenHatCh, kCrash, 72, half, tail, kOpenHats, kOpenHatLevels);
    a.fill(kBreakRow - 4, "SHML", 34, 50);
    const Arranger::LeadVoice voice{40, true, false};
    a.lead(kThemeRow,
           "E5:3 E5:3 D5:2 C5:3 D5:3 E5:2 | F5:6 E5:2 C5:6 A4:2 |"
           "G5:3 G5:3 E5:2 C5:3 D5:3 E5:2 | D5:10 B4:2 D5:4 |"
           "E5:3 E5:3 D5:2 C5:3 D5:3 E5:2 | A5:6 G5:2 F5:4 E5:4 |"
           "G5:3 E5:3 C5:2 E5:3 G5:3 C6:2 | B5:8 A5:4 G5:4 |"
           "F5:6 E5:2 D5:8 | E5:6 D5:2 B4:8",
           voice, kBreakRow);
}

void writeBreak(Arranger& a) {
    a.crash(kBreakRow, 44);
    a.drums(kKickCh, kKick, 60, kBreakRow, kBreakRow + 1, kFourKick, kKickLevels);
    a.pads(kBreakRow, kBuildRow, 22, 18);
    a.arp(kBreakRow, kBuildRow, 1, 26, 1);
    a.bass(kBreakRow, kBuildRow, kLongBass, 30);
    a.lead(kBreakRow, "C6:8 A5:8 | B5:8 G5:8 | A5:8", {30, true, false}, kBuildRow);
}

void writeBuild(Arranger& a) {
    a.fill(kBuildRow, "SSSSSSSS", 16, 52);
    a.riser(kBuildRow, kDropRow, pitch("C5"), 6, 26, 0x04);
    a.pads(kBuildRow, kDropRow, 20, 28);
}

void writeDrop(Arranger& a) {
    const int second = kDropRow + 8 * kRowsPerBar;  // 62 s
    const int fillRow = kBridgeRow - 8;
    a.crash(kDropRow, 48);
    a.crash(second, 40);
    a.pads(kDropRow, kBridgeRow, 16, 16);
    a.bass(kDropRow, kBridgeRow, kRollingBass, 44);
    a.drums(kKickCh, kKick, 60, kDropRow, fillRow, kFourKick, kKickLevels);
    a.drums(kSnareCh, kSnare, 60, kDropRow, fillRow, kBackbeat, kSnareLevels);
    a.drums(kHatCh, kHat, 60, kDropRow, kBridgeRow, kSixteenthHats, kHatLevels);
    a.drums(kOpenHatCh, kCrash, 72, kDropRow, fillRow, kOpenHats, kOpenHatLevels);
    a.fill(fillRow, "SSHHMMLL", 30, 52);
    a.lead(kDropRow,
           "A5:3 A5:3 G5:2 E5:3 G5:3 A5:2 | C6:6 A5:2 F5:6 A5:2 |"
           "G5:3 G5:3 E5:2 C5:3 E5:3 G5:2 | B5:6 A5:2 G5:4 D5:4 |"
           "A5:3 A5:3 G5:2 E5:3 G5:3 A5:2 | C6:6 D6:2 C6:4 A5:4 |"
           "F5:3 A5:3 D6:2 C6:4 A5:4 | G#5:6 B5:2 E5:8",
           {44, false, true}, second);
    a.arp(second, fillRow, 1, 24, 1);
    a.lead(second,
           "E5:3 E5:3 D5:2 C5:3 D5:3 E5:2 | F5:6 E5:2 C5:6 A4:2 |"
           "G5:3 G5:3 E5:2 C5:3 D5:3 E5:2 | D5:10 B4:2 D5:4 |"
           "A5:6 G5:2 F5:4 E5:4 | D5:6 E5:2 F5:4 G5:4 | G#5:8 B5:4",
           {42, true, false}, kBridgeRow);
}

void writeBridge(Arranger& a) {
    const int build = kBridgeRow + 10 * kRowsPerBar;  // 96 s
    a.crash(kBridgeRow, 40);
    a.pads(kBridgeRow, kRiseRow, 18, 20);
    a.bass(kBridgeRow, build, kHalfTimeBass, 42);
    a.bass(build, kRiseRow, kPulseBass, 42);
    a.drums(kKickCh, kKick, 60, kBridgeRow, build, kHalfKick, kKickLevels);
    a.drums(kSnareCh, kSnare, 60, kBridgeRow, build, kHalfSnare, kSnareLevels);
    a.drums(kHatCh, kHat, 60, kBridgeRow, kRiseRow, kEighthHats, kHatLevels);
    a.drums(kKickCh, kKick, 60, build, kRiseRow, kFourKick, kKickLevels);
    a.drums(kSnareCh, kSnare, 60, build, build + kRowsPerBar, kEighthSnare, {30, 26, 20});
    a.fill(build + kRowsPerBar, "SSSSSSSSSSSSSSSS", 22, 48);
    a.arp(kBridgeRow, kRiseRow, 1, 28, 1);
    a.lead(kBridgeRow,
           "A5:12 G5:2 F5:2 | G5:8 D5:8 | E5:12 D5:2 E5:2 | C5:8 E5:8 |"
           "F5:12 E5:2 D5:2 | D5:8 B4:4 D5:4 | E5:8 G5:8 | G#5:12 -:4 |"
           "A5:6 C6:2 A5:8 | B5:6 D6:2 B5:8 | A5:16 | G#5:8",
           {42, true, false}, kRiseRow);
}

void writeRise(Arranger& a) {
    const int roll = kRiseRow + 2 * kRowsPerBar;  // 104 s
    const int last = kFinaleRow - 12;             // 108 s
    a.crash(kRiseRow, 26);
    a.pads(kRiseRow, kFinaleRow, 16, 24);
    a.bass(kRiseRow, last, kPulseBass, 42);
    a.bass(last, kFinaleRow, kRollingBass, 44);
    a.drums(kKickCh, kKick, 60, kRiseRow, kFinaleRow, kFourKick, kKickLevels);
    a.drums(kHatCh, kHat, 60, kRiseRow, kFinaleRow, kBusyHats, kHatLevels);
    a.drums(kSnareCh, kSnare, 60, roll, last, kEighthSnare, {34, 28, 22});
    a.fill(last, "SSSSSSSSSSSS", 30, 54);
    a.arp(kRiseRow, roll, 1, 28, 0);
    a.arp(roll, kFinaleRow, 1, 30, 1);
    a.riser(kRiseRow, kFinaleRow, pitch("C3"), 0, 24, 0x01);
    a.lead(kRiseRow, "F5:16 G5:16 A5:16 C6:16 B5:12", {30, true, false}, kFinaleRow);
}

void writeFinale(Arranger& a) {
    const int downbeat = kFinaleRow + 4;  // 110 s
    const int cadence = kLastChordRow - kRowsPerBar;
    const int fadeEnd = kEndRow - 2;
    a.crash(kFinaleRow, 52);
    a.drums(kKickCh, kKick, 60, kFinaleRow, kFinaleRow + 1, kFourKick, kKickLevels);
    a.pads(kFinaleRow, kLastChordRow, 18, 18);
    a.bass(kFinaleRow, downbeat, kLongBass, 46);
    a.bass(downbeat, cadence, kRollingBass, 44);
    a.bass(cadence, kLastChordRow, kPulseBass, 44);
    a.drums(kKickCh, kKick, 60, downbeat, kLastChordRow, kFourKick, kKickLevels);
    a.drums(kSnareCh, kSnare, 60, downbeat, kLastChordRow - 4, kBackbeat, kSnareLevels);
    a.drums(kHatCh, kHat, 60, downbeat, kLastChordRow, kSixteenthHats, kHatLevels);
    a.drums(kOpenHatCh, kCrash, 72, downbeat, cadence, kOpenHats, kOpenHatLevels);
    a.fill(kLastChordRow - 4, "SSHL", 40, 54);
    a.crash(kFinaleRow + 4 * kRowsPerBar + 4, 40);
    a.arp(downbeat, cadence, 1, 24, 1);
    a.lead(kFinaleRow,
           "E5:2 G5:2 |"
           "A5:3 A5:3 G5:2 E5:3 G5:3 A5:2 | C6:6 A5:2 F5:6 A5:2 |"
           "G5:3 G5:3 E5:2 C5:3 E5:3 G5:2 | B5:6 A5:2 G5:4 D5:4 |"
           "A5:3 A5:3 G5:2 E5:3 G5:3 A5:2 | C6:6 D6:2 C6:4 A5:4 |"
           "G5:3 E5:3 C5:2 E5:3 G5:3 C6:2 | B5:8 A5:4 G5:4 |"
           "F5:4 A5:4 G#5:4 B5:4",
           {44, false, true}, kLastChordRow);

    // The last chord: everything on A, fading out under the end of the show.
    a.crash(kLastChordRow, 54);
    a.drums(kKickCh, kKick, 60, kLastChordRow, kLastChordRow + 1, kFourKick, kKickLevels);
    a.pads(kLastChordRow, fadeEnd, 34, 2);
    a.score.note(kBassCh, kLastChordRow, kAm.bass, kBass, 46, fadeEnd - kLastChordRow);
    a.score.fade(kBassCh, kLastChordRow, fadeEnd, 46, 2);
    a.lead(kLastChordRow, "A5:18", {40, false, true}, fadeEnd);
    a.score.fade(kLeadCh, kLastChordRow, fadeEnd, 40, 2);
    a.score.fade(kHarmonyCh, kLastChordRow, fadeEnd, 22, 1);
}

// Splits [from, to) at every fourth second (two bars), so that repeated
// bars make repeated patterns; stretches shorter than a pattern join a
// neighbour, and a section shorter than one gets a pattern of its own.
std::vector<std::pair<int, int>> chunks(int from, int to) {
    std::vector<std::pair<int, int>> out;
    int start = from;
    for (int row = from + 1; row <= to; ++row) {
        if (row == to || row % (2 * kRowsPerBar) == 0) {
            out.emplace_back(start, row);
            start = row;
        }
    }
    for (size_t i = 0; i < out.size();) {
        const int length = out[i].second - out[i].first;
        if (length >= kMinPatternRows || out.size() == 1) {
            ++i;
        } else if (i + 1 < out.size()) {
            out[i + 1].first = out[i].first;
            out.erase(out.begin() + long(i));
        } else {
            out[i - 1].second = out[i].second;
            out.erase(out.begin() + long(i));
        }
    }
    return out;
}

}  // namespace

Song composeSong() {
    Arranger a;
    writeIntro(a);
    writePulse(a);
    writeBeat(a);
    writeTheme(a);
    writeBreak(a);
    writeBuild(a);
    writeDrop(a);
    writeBridge(a);
    writeRise(a);
    writeFinale(a);
    for (int row = 0; row < kEndRow; ++row) {
        const bool even = row % 2 == 0;
        a.score.effect(even ? kEvenSpeed : kOddSpeed, row, kSetSpeed,
                       even ? kEvenRowSpeed : kOddRowSpeed);
    }
    a.score.finish();

    Song song;
    Module& m = song.module;
    m.name = "Deceptive Cadence";
    m.initialSpeed = kEvenRowSpeed;
    m.initialTempo = kTempo;
    m.mixVolume = 50;
    m.channelPan.assign(kChannelCount, 32);
    m.channelPan[kHatCh] = 42;
    m.channelPan[kOpenHatCh] = 24;
    m.channelPan[kCrashCh] = 26;
    m.channelPan[kLeadCh] = 28;
    m.channelPan[kEchoCh] = 48;
    m.channelPan[kHarmonyCh] = 38;
    m.channelPan[kPad1Ch] = 14;
    m.channelPan[kPad3Ch] = 50;
    m.channelPan[kArpCh] = 44;
    m.samples = makeInstruments();

    const std::vector<std::pair<const char*, int>> sections = {
        {"fade-in", kIntroRow}, {"pulse", kPulseRow},   {"beat", kBeatRow}, {"theme", kThemeRow},
        {"break", kBreakRow},   {"build", kBuildRow},   {"drop", kDropRow}, {"bridge", kBridgeRow},
        {"rise", kRiseRow},     {"finale", kFinaleRow},
    };
    for (size_t s = 0; s < sections.size(); ++s) {
        const int from = sections[s].second;
        const int to = s + 1 < sections.size() ? sections[s + 1].second : kEndRow;
        song.sections.push_back(
            {sections[s].first, from, int(m.orders.size()), double(from) / kRowsPerSecond});
        for (auto [start, end] : chunks(from, to)) {
            const int length = end - start;
            Pattern p(std::max(length, kMinPatternRows), kChannelCount);
            for (int row = 0; row < length; ++row) {
                for (int ch = 0; ch < kChannelCount; ++ch)
                    p.at(row, ch) = a.score.at(start + row, ch);
            }
            if (length < kMinPatternRows) {
                p.at(length - 1, kFlow).effect = kPatternBreak;
            }
            const auto same = std::find(m.patterns.begin(), m.patterns.end(), p);
            m.orders.push_back(uint8_t(same - m.patterns.begin()));
            if (same == m.patterns.end()) m.patterns.push_back(std::move(p));
        }
    }
    song.rows = kEndRow;
    song.seconds = double(kEndRow) / kRowsPerSecond;
    return song;
}

}  // namespace compose
