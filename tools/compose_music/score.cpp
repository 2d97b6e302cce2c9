#include "score.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace compose {

int pitch(std::string_view name) {
    static constexpr int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
        throw std::invalid_argument("bad pitch " + std::string(name));
    }
    int semitone = kSemitone[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == '#' || name[at] == 'b') {
        semitone += name[at] == '#' ? 1 : -1;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') {
        throw std::invalid_argument("bad pitch " + std::string(name));
    }
    return 12 * (name[at] - '0' + 1) + semitone;
}

std::vector<MelodyNote> melody(int row, std::string_view text) {
    std::vector<MelodyNote> notes;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '|') {
            ++at;
            continue;
        }
        const size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view token = text.substr(at, end - at);
        const size_t colon = token.find(':');
        if (colon == std::string_view::npos) {
            throw std::invalid_argument("bad melody token " + std::string(token));
        }
        const int length = std::stoi(std::string(token.substr(colon + 1)));
        if (token.substr(0, colon) != "-") {
            notes.push_back({row, pitch(token.substr(0, colon)), length});
        }
        row += length;
        at = end;
    }
    return notes;
}

Score::Score(int rows)
    : rows_(rows),
      cells_(size_t(rows) * kChannelCount),
      held_(kChannelCount),
      starts_(kChannelCount) {}

Cell& Score::cell(int row, int channel) {
    if (row < 0 || row >= rows_ || channel < 0 || channel >= kChannelCount) {
        throw std::out_of_range("cell outside the song: row " + std::to_string(row));
    }
    return cells_[size_t(row) * kChannelCount + size_t(channel)];
}

const Cell& Score::at(int row, int channel) const {
    return cells_[size_t(row) * kChannelCount + size_t(channel)];
}

void Score::note(int channel, int row, int pitchNumber, int sample, int vol, int length) {
    Cell& c = cell(row, channel);
    if (c.note != kNoNote) {
        throw std::logic_error("two notes on channel " + std::to_string(channel) + " at row " +
                               std::to_string(row));
    }
    if (pitchNumber < 0 || pitchNumber > 119 || vol < 0 || vol > 64) {
        throw std::out_of_range("note out of range at row " + std::to_string(row));
    }
    c.note = int16_t(pitchNumber);
    c.sample = uint8_t(sample);
    c.volume = int16_t(vol);
    starts_[size_t(channel)].push_back(row);
    if (length > 0) held_[size_t(channel)].push_back({row, row + length});
}

void Score::cut(int channel, int row) {
    Cell& c = cell(row, channel);
    if (c.note != kNoNote) throw std::logic_error("cut over a note at row " + std::to_string(row));
    c.note = kNoteCut;
    starts_[size_t(channel)].push_back(row);
}

void Score::volume(int channel, int row, int vol) {
    Cell& c = cell(row, channel);
    if (c.volume != kNoVolume) {
        throw std::logic_error("two volumes at row " + std::to_string(row));
    }
    c.volume = int16_t(std::clamp(vol, 0, 64));
}

void Score::effect(int channel, int row, Effect e, uint8_t param) {
    Cell& c = cell(row, channel);
    if (c.effect != kEffectNone) {
        throw std::logic_error("two effects at row " + std::to_string(row));
    }
    c.effect = e;
    c.param = param;
}

void Score::fade(int channel, int from, int to, int v0, int v1) {
    int last = -1;
    for (int row = from; row < to; ++row) {
        const double f = double(row - from) / double(std::max(1, to - 1 - from));
        const int v = int(std::lround(v0 + (v1 - v0) * f));
        Cell& c = cell(row, channel);
        if (c.volume != kNoVolume) {
            last = c.volume;
        } else if (v != last) {
            c.volume = int16_t(std::clamp(v, 0, 64));
            last = v;
        }
    }
}

void Score::finish() {
    for (int ch = 0; ch < kChannelCount; ++ch) {
        std::vector<int>& starts = starts_[size_t(ch)];
        std::sort(starts.begin(), starts.end());
        for (const Held& h : held_[size_t(ch)]) {
            const auto next = std::upper_bound(starts.begin(), starts.end(), h.start);
            if (next != starts.end() && *next <= h.end) continue;  // the next note ends it
            if (h.end >= rows_) {
                throw std::logic_error("a held note outlasts the song on channel " +
                                       std::to_string(ch));
            }
            cell(h.end, ch).note = kNoteCut;
        }
    }
}

}  // namespace compose
