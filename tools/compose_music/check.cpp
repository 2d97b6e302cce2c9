#include "check.h"

#include <array>
#include <cmath>

#include "score.h"

namespace compose {
namespace {

constexpr size_t kMaxBytes = 64 * 1024;
constexpr double kMinSeconds = 130.0;
constexpr double kMaxSeconds = 132.0;
constexpr int kRate = 44100;
// A looped sound left this long with nothing on its channel (no note, no
// volume, no effect) is taken to be stuck.
constexpr int kMaxHeldRows = 8 * kRowsPerSecond;

std::string where(size_t order, int row, int channel) {
    return "order " + std::to_string(order) + " row " + std::to_string(row) + " channel " +
           std::to_string(channel + 1);
}

void compareModules(const Module& written, const Module& read, std::vector<std::string>& problems) {
    if (read.orders != written.orders) problems.push_back("the order list reads back differently");
    if (read.samples != written.samples) problems.push_back("a sample reads back differently");
    if (read.channelPan != written.channelPan) problems.push_back("channel pans read back wrong");
    if (read.patterns.size() != written.patterns.size()) {
        problems.push_back("the pattern count reads back differently");
        return;
    }
    for (size_t i = 0; i < read.patterns.size(); ++i) {
        if (!(read.patterns[i] == written.patterns[i])) {
            problems.push_back("pattern " + std::to_string(i) + " decodes to other cells");
        }
    }
    if (read.name != written.name || read.initialSpeed != written.initialSpeed ||
        read.initialTempo != written.initialTempo || read.mixVolume != written.mixVolume ||
        read.globalVolume != written.globalVolume) {
        problems.push_back("header fields read back differently");
    }
}

struct Voice {
    bool looped = false;  // a looped sample is sounding
    int since = 0;        // song row of the channel's last event
    int sample = 0;       // last sample named on the channel
};

// Walks the song as a player would: timing from the speed and tempo
// effects and the breaks, and every channel's sounding sample.
void walk(const Song& song, const Module& m, Timing& timing, std::vector<std::string>& problems) {
    int speed = m.initialSpeed;
    int tempo = m.initialTempo;
    int64_t frames = 0;
    int songRow = 0;
    int startRow = 0;
    std::array<Voice, kMaxChannels> voices{};
    std::vector<int> sectionAtOrder(m.orders.size(), -1);
    for (size_t s = 0; s < song.sections.size(); ++s) {
        const int order = song.sections[s].order;
        if (order < 0 || size_t(order) >= m.orders.size()) {
            problems.push_back("section " + song.sections[s].name + " has no order");
            return;
        }
        sectionAtOrder[size_t(order)] = int(s);
    }

    for (size_t order = 0; order < m.orders.size(); ++order) {
        const Pattern& p = m.patterns[m.orders[order]];
        timing.orderStarts.push_back(double(frames) / kRate);
        if (startRow != 0) problems.push_back("order " + std::to_string(order) + " starts mid-way");
        const int section = sectionAtOrder[order];
        if (section >= 0) {
            const Section& s = song.sections[size_t(section)];
            if (songRow != s.row || std::abs(double(frames) / kRate - s.seconds) > 1e-9) {
                problems.push_back("section " + s.name + " starts at " +
                                   std::to_string(double(frames) / kRate) + " s, not at " +
                                   std::to_string(s.seconds) + " s");
            }
        }
        int nextStart = -1;
        for (int row = startRow; row < p.rows && nextStart < 0; ++row, ++songRow) {
            for (int ch = 0; ch < p.channels; ++ch) {
                const Cell& c = p.at(row, ch);
                Voice& v = voices[size_t(ch)];
                const bool wasLooped = v.looped;
                if (c.sample != 0) {
                    if (c.sample > m.samples.size()) {
                        problems.push_back(where(order, row, ch) + ": no such sample");
                        continue;
                    }
                    v.sample = c.sample;
                }
                if (!c.empty()) v.since = songRow;
                if (c.note >= 0 && c.note <= 119) {
                    if (v.sample == 0) problems.push_back(where(order, row, ch) + ": no sample");
                    v.looped = v.sample != 0 && m.samples[size_t(v.sample - 1)].looped;
                } else if (c.note == kNoteCut) {
                    v.looped = false;
                } else if (c.note != kNoNote) {
                    // Note-off and fades do not end a looped sample in sample mode.
                    problems.push_back(where(order, row, ch) + ": note " + std::to_string(c.note));
                }
                if (wasLooped && section >= 0 && row == 0 && c.note == kNoNote) {
                    problems.push_back(where(order, row, ch) + ": a looped sound rings into " +
                                       song.sections[size_t(section)].name);
                }
                if (v.looped && songRow - v.since > kMaxHeldRows) {
                    problems.push_back(where(order, row, ch) + ": a looped sound is stuck");
                    v.since = songRow;
                }
                if (c.volume > 64) {
                    problems.push_back(where(order, row, ch) + ": unexpected volume column");
                }
                switch (c.effect) {
                    case kEffectNone:
                    case kVibrato:
                    case kPitchUp:
                        break;
                    case kSetSpeed:
                        if (c.param == 0) problems.push_back(where(order, row, ch) + ": speed 0");
                        speed = c.param == 0 ? speed : c.param;
                        break;
                    case kSetTempo:
                        if (c.param < 0x20) problems.push_back(where(order, row, ch) + ": slide");
                        tempo = c.param < 0x20 ? tempo : c.param;
                        break;
                    case kPatternBreak:
                        nextStart = c.param;
                        break;
                    default:
                        problems.push_back(where(order, row, ch) + ": unexpected effect " +
                                           std::to_string(c.effect));
                }
            }
            frames += int64_t(speed) * int64_t(kRate * 5 / (2 * tempo));
            if ((kRate * 5) % (2 * tempo) != 0) {
                problems.push_back("tempo " + std::to_string(tempo) + " drifts at 44.1 kHz");
            }
        }
        startRow = nextStart < 0 ? 0 : nextStart;
    }
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        if (voices[size_t(ch)].looped) {
            problems.push_back("channel " + std::to_string(ch + 1) + " still sounds at the end");
        }
    }
    timing.seconds = double(frames) / kRate;
    if (songRow != song.rows) {
        problems.push_back("the song plays " + std::to_string(songRow) + " rows, not " +
                           std::to_string(song.rows));
    }
}

}  // namespace

std::vector<std::string> checkSong(const Song& song, const std::vector<uint8_t>& bytes,
                                   Timing& timing) {
    std::vector<std::string> problems;
    if (bytes.size() >= kMaxBytes) {
        problems.push_back("the file has " + std::to_string(bytes.size()) + " bytes");
    }
    Module read;
    std::string error;
    if (!readModule(bytes, kChannelCount, read, error)) {
        problems.push_back("the file does not parse: " + error);
        return problems;
    }
    compareModules(song.module, read, problems);
    std::vector<bool> used(read.patterns.size(), false);
    for (uint8_t order : read.orders)
        used[order] = true;
    for (size_t i = 0; i < used.size(); ++i) {
        if (!used[i]) problems.push_back("pattern " + std::to_string(i) + " is never played");
    }
    walk(song, read, timing, problems);
    if (timing.seconds < kMinSeconds || timing.seconds > kMaxSeconds) {
        problems.push_back("the song lasts " + std::to_string(timing.seconds) + " s");
    }
    return problems;
}

}  // namespace compose
